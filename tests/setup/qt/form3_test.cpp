#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "Form2.h"
#include "Form3.h"
#include "fakes.h"
#include "listboxes.h"
#include "messagebox.h"

using setup::Form2;
using setup::Form3;

namespace {

const QString kRefused = "Ruta incorrecta";

// A key as the user presses it: to the widget that has the focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key(key), modifiers);
}

QStringList selectedTexts(const QListWidget& list)
{
    QStringList texts;
    for (const QListWidgetItem* item : list.selectedItems())
        texts.append(item->text());
    return texts;
}

}  // namespace

// Two scratch "drives" A and B; the process's current folder is A, which holds
// "AutoCAD 2004/acad.exe", "Upper/ACAD.EXE" and "Empty"; B holds "acad.exe".
class Form3Test : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void locator_windowKindTabOrderAndStartFolder();
    void accept_joinsThePathAndClosesTheDialog();
    void accept_refusesWrongCaseAndNoSelection();
    void salir_leavesText1AsItWas();
    void driveChange_refreshesBothLists();
    void dir1_showsOpenAndClosedFoldersTransparentAround();
    void unreadableDriveOrFolder_warnsAndTheDialogStaysUsable();
    void mappedDrives_comeFirstAndCanBeReached();
    void escapeOnOpenDriveList_closesOnlyTheList();
    void refusalBox_wideEnoughForItsTitle();
    void keyboardAccept_givesTheWindowsPathOnMappedDrives_data();
    void keyboardAccept_givesTheWindowsPathOnMappedDrives();
    void arrowsHomeEnd_selectTheLineTheyMoveTo();
    void focus_isDrawnInTheLists();
    void frames_wholeAtFractionalScale();

private:
    void choose(const QString& folder, int row);
    // The locator on the machine's drives, opened in folder and active, as a user finds it.
    std::unique_ptr<Form3> openedIn(const QString& folder);

    QTemporaryDir driveA_, driveB_;
    ScratchDrive c_;
    RecordingBoxes boxes_;
    Form2* wizard_ = nullptr;
    Form3* locator_ = nullptr;
};

void Form3Test::init()
{
    const QDir a(driveA_.path());
    for (const char* folder : {"AutoCAD 2004", "Upper", "Empty"})
        a.mkpath(folder);
    for (const char* file : {"AutoCAD 2004/acad.exe", "Upper/ACAD.EXE"})
        QFile(a.filePath(file)).open(QIODevice::WriteOnly);
    QFile(QDir(driveB_.path()).filePath("acad.exe")).open(QIODevice::WriteOnly);
    QDir::setCurrent(driveA_.path());
    boxes_.messages.clear();
    wizard_ = new Form2(boxes_);
    wizard_->Text1->setText("typed by the user");
    std::vector<setup::core::Drive> drives;
    for (const QString& root : {driveA_.path(), driveB_.path(), driveA_.path() + "/not-mounted"})
        drives.push_back({root.toStdString(), root.toStdString(), root.toStdString()});
    locator_ = new Form3(*wizard_, boxes_, drives);
    wizard_->show();
    locator_->show();
}

void Form3Test::cleanup()
{
    delete wizard_;
    QDir::setCurrent(QDir::tempPath());
}

void Form3Test::choose(const QString& folder, int row)
{
    QVERIFY(locator_->Dir1->setPath(driveA_.filePath(folder)));
    locator_->File1->setCurrentRow(row);
}

void Form3Test::locator_windowKindTabOrderAndStartFolder()
{
    QCOMPARE(locator_->windowTitle(), QString("Explorardor RUK"));
    QCOMPARE(locator_->windowType(), Qt::Dialog);
    QVERIFY(!(locator_->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const double dpi = locator_->screen()->logicalDotsPerInch();
    QCOMPARE(locator_->maximumSize(), QSize(qRound(5805 * dpi / 1440), qRound(3480 * dpi / 1440)));
    QCOMPARE(locator_->Drive1->currentText(), driveA_.path());
    QCOMPARE(locator_->Dir1->path(), driveA_.path());
    QCOMPARE(locator_->File1->path(), driveA_.path());
    const QList<QWidget*> order{locator_->Drive1, locator_->Dir1, locator_->File1, locator_->Command1,
                                locator_->Command2};
    QCOMPARE(tabOrder(locator_->Drive1, 5), order);
    QCOMPARE(clippedLabels(*locator_), QStringList());
    QCOMPARE(locator_->Command1->shortcut(), QKeySequence("Alt+A"));
    QCOMPARE(locator_->Command2->shortcut(), QKeySequence("Alt+S"));
}

void Form3Test::accept_joinsThePathAndClosesTheDialog()
{
    choose("AutoCAD 2004", 0);
    QCOMPARE(locator_->File1->fileName(), QString("acad.exe"));
    QTest::mouseClick(locator_->Command1, Qt::LeftButton);
    QCOMPARE(wizard_->Text1->text(), driveA_.filePath("AutoCAD 2004") + "/acad.exe");
    QVERIFY(!locator_->isVisible());
    QVERIFY(boxes_.messages.isEmpty());
}

void Form3Test::accept_refusesWrongCaseAndNoSelection()
{
    choose("Upper", 0);
    QCOMPARE(locator_->File1->count(), 1);
    QTest::mouseClick(locator_->Command1, Qt::LeftButton);
    choose("Empty", -1);
    QTest::mouseClick(locator_->Command1, Qt::LeftButton);
    QCOMPARE(boxes_.texts(), (QStringList{kRefused, kRefused}));
    QCOMPARE(boxes_.messages[0].title, QString::fromUtf8("¡Atención!"));
    QCOMPARE(wizard_->Text1->text(), QString("typed by the user"));
    QVERIFY(locator_->isVisible());
}

void Form3Test::salir_leavesText1AsItWas()
{
    choose("AutoCAD 2004", 0);
    QTest::mouseClick(locator_->Command2, Qt::LeftButton);
    QCOMPARE(wizard_->Text1->text(), QString("typed by the user"));
    QVERIFY(!locator_->isVisible());
}

void Form3Test::driveChange_refreshesBothLists()
{
    locator_->Drive1->setCurrentIndex(1);
    QCOMPARE(locator_->Dir1->path(), driveB_.path());
    QCOMPARE(locator_->File1->path(), driveB_.path());
    QCOMPARE(locator_->File1->count(), 1);

    // Opening a folder in Dir1 moves File1 along.
    const QString autocad = driveA_.filePath("AutoCAD 2004");
    locator_->Dir1->setPath(driveA_.path());
    emit locator_->Dir1->openRequested(autocad);
    QCOMPARE(locator_->File1->path(), autocad);
    QCOMPARE(locator_->File1->count(), 1);
}

void Form3Test::dir1_showsOpenAndClosedFoldersTransparentAround()
{
    // Drive A's root, the way to the current folder, then its three folders.
    const setup::platform::DirList& dir = *locator_->Dir1;
    QCOMPARE(dir.count(), 4);
    const QSize size = dir.iconSize();
    const qreal ratio = dir.devicePixelRatioF();
    QList<QImage> icons;
    for (const int row : {0, 1}) {
        const QIcon icon = dir.item(row)->icon();
        const QImage image = icon.pixmap(size, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), size * ratio);  // drawn for the screen's pixels, not scaled up
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);  // transparent around the folder
        const QRgb middle = image.pixel(image.width() / 2, image.height() / 2);
        QCOMPARE(qAlpha(middle), 255);
        QVERIFY2(qRed(middle) > qBlue(middle) + 40, qPrintable(QColor(middle).name()));  // yellow
        // Not tinted with the colour of a selected line.
        QCOMPARE(icon.pixmap(size, ratio, QIcon::Selected).toImage().convertToFormat(QImage::Format_ARGB32), image);
        icons.append(image);
    }
    QVERIFY(icons[0] != icons[1]);
}

void Form3Test::unreadableDriveOrFolder_warnsAndTheDialogStaysUsable()
{
    locator_->Drive1->setCurrentIndex(2);
    QCOMPARE(boxes_.messages.size(), 1);
    QVERIFY(boxes_.messages[0].text.contains("not-mounted"));
    QCOMPARE(locator_->Drive1->currentIndex(), 0);
    QCOMPARE(locator_->Dir1->path(), driveA_.path());

    QDir(driveA_.filePath("Empty")).removeRecursively();
    emit locator_->Dir1->openRequested(driveA_.filePath("Empty"));
    QCOMPARE(boxes_.messages.size(), 2);
    QCOMPARE(locator_->Dir1->path(), driveA_.path());

    choose("AutoCAD 2004", 0);
    QTest::mouseClick(locator_->Command1, Qt::LeftButton);
    QVERIFY(wizard_->Text1->text().endsWith("/AutoCAD 2004/acad.exe"));
}

void Form3Test::mappedDrives_comeFirstAndCanBeReached()
{
    // Drive C: (the scratch drive), D: by its variable; the current folder is elsewhere.
    c_.write("AutoCAD 2004/acad.exe", "");
    c_.write(".hidden/x", "");
    qputenv("RUK_DRIVE_D", QFile::encodeName(driveB_.path()));
    Form3 locator(*wizard_, boxes_);
    qunsetenv("RUK_DRIVE_D");
    QStringList names;
    for (int i = 0; i < locator.Drive1->count(); ++i)
        names.append(locator.Drive1->itemText(i));
    QCOMPARE(names.mid(0, 3), (QStringList{"C: (" + QDir(c_.path("")).absolutePath() + ")",
                                           "D: (" + driveB_.path() + ")", "/"}));
    QCOMPARE(locator.Drive1->currentText(), QString("/"));  // the current folder's

    // C: opens at its own folder, named as on Windows; its folders below it.
    locator.Drive1->setCurrentIndex(0);
    QCOMPARE(locator.Dir1->path(), QDir(c_.path("")).absolutePath());
    QStringList lines;
    for (int i = 0; i < locator.Dir1->count(); ++i)
        lines.append(locator.Dir1->item(i)->text());
    QCOMPARE(lines, (QStringList{"C:\\", "AutoCAD 2004"}));
    emit locator.Dir1->openRequested(c_.path("AutoCAD 2004"));
    locator.File1->setCurrentRow(0);
    QTest::mouseClick(locator.Command1, Qt::LeftButton);
    QCOMPARE(wizard_->Text1->text(), QString("C:\\AutoCAD 2004\\acad.exe"));  // as the folder list names it
    QVERIFY(boxes_.messages.isEmpty());
}

void Form3Test::escapeOnOpenDriveList_closesOnlyTheList()
{
    locator_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(locator_));
    locator_->Drive1->setFocus();
    locator_->Drive1->showPopup();
    QWidget* list = locator_->Drive1->view();
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!list->isVisible());
    QVERIFY(locator_->isVisible());
    // Escape once more, with the list closed, leaves the locator as "&Salir" does.
    QTest::keyClick(locator_->Drive1, Qt::Key_Escape);
    QVERIFY(!locator_->isVisible());
    QCOMPARE(wizard_->Text1->text(), QString("typed by the user"));
}

void Form3Test::refusalBox_wideEnoughForItsTitle()
{
    // A window manager cuts a title that does not fit beside the window's icon
    // and buttons: openbox needs about eight lines' height for them.
    const std::unique_ptr<QMessageBox> box =
        setup::platform::makeMessageBox("Ruta incorrecta", setup::core::Icon::Warning, "¡Atención!");
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    QVERIFY2(box->width() >= title.horizontalAdvance(QString::fromUtf8("¡Atención!")) + 8 * title.height(),
             qPrintable(QString::number(box->width())));
    QCOMPARE(box->windowTitle(), QString::fromUtf8("¡Atención!"));
    QCOMPARE(box->text(), QString("Ruta incorrecta"));
}

std::unique_ptr<Form3> Form3Test::openedIn(const QString& folder)
{
    locator_->close();  // one locator at a time, as the wizard opens only one
    QDir::setCurrent(folder);
    auto locator = std::make_unique<Form3>(*wizard_, boxes_);
    locator->show();
    locator->activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(locator.get())); }();
    return locator;
}

void Form3Test::keyboardAccept_givesTheWindowsPathOnMappedDrives_data()
{
    QTest::addColumn<QString>("folder");  // on the scratch drive C:, or "A" for drive A, which is not mapped
    QTest::addColumn<QString>("text1");   // what Text1 holds afterwards; "A" stands for drive A's path
    QTest::newRow("a folder on C:") << "AutoCAD 2004" << "C:\\AutoCAD 2004\\acad.exe";
    QTest::newRow("C:'s root") << "" << "C:\\\\acad.exe";  // joined as it stands: two backslashes
    QTest::newRow("outside the mapped drives") << "A" << "A/AutoCAD 2004/acad.exe";
}

void Form3Test::keyboardAccept_givesTheWindowsPathOnMappedDrives()
{
    QFETCH(QString, folder);
    QFETCH(QString, text1);
    c_.write("AutoCAD 2004/acad.exe", "");
    c_.write("acad.exe", "");
    const bool onA = folder == "A";
    const std::unique_ptr<Form3> locator =
        openedIn(onA ? driveA_.filePath("AutoCAD 2004") : QDir(c_.path(folder)).absolutePath());
    QCOMPARE(QApplication::focusWidget(), locator->Drive1);
    // Tab into the file list, Down onto acad.exe, Alt+A.
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), locator->File1);
    press(Qt::Key_Down);
    QCOMPARE(locator->File1->fileName(), QString("acad.exe"));
    press(Qt::Key_A, Qt::AltModifier);  // the button shows itself pressed, then clicks
    QTRY_VERIFY(!locator->isVisible());
    QCOMPARE(boxes_.texts(), QStringList());
    QCOMPARE(wizard_->Text1->text(), onA ? text1.replace("A/", driveA_.path() + "/") : text1);
}

void Form3Test::arrowsHomeEnd_selectTheLineTheyMoveTo()
{
    for (const char* name : {"ACAD.EXE", "Acad.exe", "acad.exe"})
        QFile(driveA_.filePath("Upper/" + QString(name))).open(QIODevice::WriteOnly);
    const std::unique_ptr<Form3> locator = openedIn(driveA_.filePath("Upper"));
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    // The file list: nothing selected when the focus comes; each key selects where it goes.
    QCOMPARE(selectedTexts(*locator->File1), QStringList());
    const struct {
        int key;
        QString selected;
    } fileKeys[] = {{Qt::Key_Up, "ACAD.EXE"}, {Qt::Key_Down, "Acad.exe"}, {Qt::Key_Down, "acad.exe"}, {Qt::Key_Down, "acad.exe"},
                    {Qt::Key_Home, "ACAD.EXE"}, {Qt::Key_Up, "ACAD.EXE"}, {Qt::Key_End, "acad.exe"},
                    {Qt::Key_PageUp, "ACAD.EXE"}};
    for (const auto& [key, selected] : fileKeys)
        QCOMPARE(selectedTexts(*locator->File1), (press(key), QStringList{selected}));
    // The folder list: its path stays until Enter opens the selected folder.
    press(Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), locator->Dir1);
    press(Qt::Key_Home);
    QCOMPARE(selectedTexts(*locator->Dir1), QStringList{"/"});
    press(Qt::Key_End);
    QCOMPARE(selectedTexts(*locator->Dir1), QStringList{"Upper"});
    QCOMPARE(locator->Dir1->path(), driveA_.filePath("Upper"));
    press(Qt::Key_Up);
    QCOMPARE(selectedTexts(*locator->Dir1), QStringList{QDir(driveA_.path()).dirName()});
    press(Qt::Key_Return);
    QCOMPARE(locator->Dir1->path(), driveA_.path());
    QCOMPARE(locator->File1->count(), 0);
}

void Form3Test::focus_isDrawnInTheLists()
{
    const std::unique_ptr<Form3> locator = openedIn(driveA_.filePath("AutoCAD 2004"));
    locator->File1->setCurrentRow(0);
    for (QListWidget* list : {static_cast<QListWidget*>(locator->Dir1), static_cast<QListWidget*>(locator->File1)}) {
        // The same lines selected, once with the focus and once without.
        locator->Command1->setFocus();
        const QImage without = list->grab().toImage();
        list->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), list);
        const QImage with = list->grab().toImage();
        const QRect line = list->visualItemRect(list->currentItem()).translated(list->viewport()->pos());
        const qreal ratio = with.devicePixelRatio();
        int changed = 0;
        for (int x = qRound(line.left() * ratio); x < qRound(line.right() * ratio); ++x)
            for (int y = qRound(line.top() * ratio); y <= qRound(line.bottom() * ratio); ++y)
                changed += with.pixel(x, y) != without.pixel(x, y) ? 1 : 0;
        // A dotted outline around the line: a third of its edge's pixels at least.
        QVERIFY2(changed > line.width() / 3, qPrintable(list->objectName() + ": " + QString::number(changed)));
    }
}

void Form3Test::frames_wholeAtFractionalScale()
{
    // The whole form, as the screen shows it: at a scale such as 150 % a list
    // lies on half device pixels (QT_SCALE_FACTOR=1.5 in the test's second run).
    const QImage form = locator_->grab().toImage();
    const qreal ratio = form.devicePixelRatio();
    const QRgb frame = locator_->File1->palette().color(QPalette::Mid).rgb();
    for (const QWidget* list : {static_cast<QWidget*>(locator_->Dir1), static_cast<QWidget*>(locator_->File1)}) {
        const QRectF edges(list->x() * ratio, list->y() * ratio, list->width() * ratio, list->height() * ratio);
        // For each side, some device line near its edge in the frame's colour along most of the side.
        const auto sideShown = [&](bool vertical, qreal at, qreal from, qreal to) {
            for (int line = qFloor(at) - 1; line <= qCeil(at) + 1; ++line) {
                int shown = 0;
                const int first = qCeil(from) + 2;
                const int last = qFloor(to) - 2;
                for (int i = first; i <= last; ++i)
                    shown += (vertical ? form.pixel(line, i) : form.pixel(i, line)) == frame ? 1 : 0;
                if (shown >= (last - first + 1) * 9 / 10)
                    return true;
            }
            return false;
        };
        const QString name = list->objectName();
        QVERIFY2(sideShown(false, edges.top(), edges.left(), edges.right()), qPrintable(name + ": top"));
        QVERIFY2(sideShown(false, edges.bottom() - 1, edges.left(), edges.right()), qPrintable(name + ": bottom"));
        QVERIFY2(sideShown(true, edges.left(), edges.top(), edges.bottom()), qPrintable(name + ": left"));
        QVERIFY2(sideShown(true, edges.right() - 1, edges.top(), edges.bottom()), qPrintable(name + ": right"));
    }
}

QTEST_MAIN(Form3Test)
#include "form3_test.moc"
