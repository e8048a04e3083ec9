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

private:
    void choose(const QString& folder, int row);

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
    QCOMPARE(wizard_->Text1->text(), c_.path("AutoCAD 2004") + "/acad.exe");
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

QTEST_MAIN(Form3Test)
#include "form3_test.moc"
