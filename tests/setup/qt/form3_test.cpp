#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "Form2.h"
#include "Form3.h"
#include "fakes.h"
#include "listboxes.h"

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
    void locator_wrongWindowKindTabOrderOrStartFolder();
    void accept_pathNotJoinedOrDialogLeftOpen();
    void accept_wrongCaseOrNoSelectionAccepted();
    void salir_changesText1();
    void driveChange_listsNotRefreshed();
    void unreadableDriveOrFolder_dialogUnusable();

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
    locator_ = new Form3(*wizard_, boxes_,
                         {driveA_.path().toStdString(), driveB_.path().toStdString(),
                          (driveA_.path() + "/not-mounted").toStdString()});
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

void Form3Test::locator_wrongWindowKindTabOrderOrStartFolder()
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

void Form3Test::accept_pathNotJoinedOrDialogLeftOpen()
{
    choose("AutoCAD 2004", 0);
    QCOMPARE(locator_->File1->fileName(), QString("acad.exe"));
    QTest::mouseClick(locator_->Command1, Qt::LeftButton);
    QCOMPARE(wizard_->Text1->text(), driveA_.filePath("AutoCAD 2004") + "/acad.exe");
    QVERIFY(!locator_->isVisible());
    QVERIFY(boxes_.messages.isEmpty());
}

void Form3Test::accept_wrongCaseOrNoSelectionAccepted()
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

void Form3Test::salir_changesText1()
{
    choose("AutoCAD 2004", 0);
    QTest::mouseClick(locator_->Command2, Qt::LeftButton);
    QCOMPARE(wizard_->Text1->text(), QString("typed by the user"));
    QVERIFY(!locator_->isVisible());
}

void Form3Test::driveChange_listsNotRefreshed()
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

void Form3Test::unreadableDriveOrFolder_dialogUnusable()
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

QTEST_MAIN(Form3Test)
#include "form3_test.moc"
