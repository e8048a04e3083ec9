#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "Form2.h"
#include "Form3.h"
#include "fakes.h"

using setup::Form2;
using setup::core::Icon;

namespace {

const QByteArray kLibraryBytes = "port i/o library";
const QString kCompleted = QString::fromUtf8("Configuración completada");

// A scratch drive C: with the version file (when version is not null) and the library.
void prepare(const ScratchDrive& c, const QByteArray& version)
{
    if (!version.isNull())
        c.write("windows.ruk", version + "\r\n");
    c.write("ruk/inpout32.dll", kLibraryBytes);
    QDir().mkpath(c.path("winnt/system"));
    QDir().mkpath(c.path("windows/system"));
}

}  // namespace

class Form2Test : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QCOMPARE(closeAllWindows(), 0); }
    void wizard_windowKindTextsAndTabOrder();
    void continue_storesThePathExactlyAndTheLibraryForTheVersion_data();
    void continue_storesThePathExactlyAndTheLibraryForTheVersion();
    void continue_emptyPathWarnsAndStoresNothing();
    void continue_failedCopyOrWriteWarnsAndLeavesNothingHalfDone_data();
    void continue_failedCopyOrWriteWarnsAndLeavesNothingHalfDone();
    void closeButton_storesAndCopiesNothing();
    void locator_secondClickKeepsTheOneDialog();
    void enterOnFocusedButton_pressesIt();
};

void Form2Test::wizard_windowKindTextsAndTabOrder()
{
    ScratchDrive c;
    prepare(c, "WINDOWS XP");
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    QCOMPARE(wizard.windowTitle(), QString::fromUtf8("Configuración"));
    QCOMPARE(wizard.windowType(), Qt::Window);
    QVERIFY(wizard.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(wizard.windowFlags() & Qt::WindowMaximizeButtonHint));
    const double dpi = wizard.screen()->logicalDotsPerInch();
    QCOMPARE(wizard.maximumSize(), QSize(qRound(5625 * dpi / 1440), qRound(3540 * dpi / 1440)));
    QCOMPARE(wizard.Label3->text(), QString("WINDOWS XP"));
    QCOMPARE(wizard.Label2[1]->text(), QString::fromUtf8("2.- Seleccione ruta de instalación de AutoCAD 2004"));
    QVERIFY(wizard.Label2[0]->font().bold() && wizard.Label2[1]->font().bold());
    QCOMPARE(wizard.Text1->parentWidget(), wizard.Frame1);
    QCOMPARE(tabOrder(wizard.Text1, 3), (QList<QWidget*>{wizard.Text1, wizard.Command1, wizard.Command2}));
    QCOMPARE(clippedLabels(wizard), QStringList());

    QFile::remove(c.path("windows.ruk"));
    Form2 withoutVersion(boxes);
    QCOMPARE(withoutVersion.Label3->text(), QString());
}

void Form2Test::continue_storesThePathExactlyAndTheLibraryForTheVersion_data()
{
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QString>("copy");  // where the library must land, empty for nowhere
    QTest::newRow("2000/NT") << QByteArray("WINDOWS 2000/NT") << "winnt/system/inpout32.dll";
    QTest::newRow("XP") << QByteArray("WINDOWS XP") << "windows/system/inpout32.dll";
    QTest::newRow("98") << QByteArray("WINDOWS 98") << "windows/system/inpout32.dll";
    QTest::newRow("other case") << QByteArray("Windows XP") << "";
    QTest::newRow("no version file") << QByteArray() << "";
}

void Form2Test::continue_storesThePathExactlyAndTheLibraryForTheVersion()
{
    QFETCH(QByteArray, version);
    QFETCH(QString, copy);
    ScratchDrive c;
    prepare(c, version);
    c.write("ruk.txt", "an older and much longer path that must disappear\r\n");
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    wizard.Text1->setText("C:\\AutoCAD 2004\\acad.exe");
    QTest::mouseClick(wizard.Command2, Qt::LeftButton);

    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\AutoCAD 2004\\acad.exe\r\n"));
    for (const char* target : {"winnt/system/inpout32.dll", "windows/system/inpout32.dll"})
        QCOMPARE(c.exists(target), copy == target);
    if (!copy.isEmpty())
        QCOMPARE(c.read(copy), kLibraryBytes);
    QCOMPARE(boxes.messages.size(), 1);
    QCOMPARE(boxes.messages[0].text, kCompleted);
    QCOMPARE(boxes.messages[0].icon, Icon::Information);
    QCOMPARE(boxes.messages[0].title, QString::fromUtf8("Información"));
    QVERIFY(!wizard.isVisible());
}

void Form2Test::continue_emptyPathWarnsAndStoresNothing()
{
    ScratchDrive c;
    prepare(c, "WINDOWS XP");
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    QTest::mouseClick(wizard.Command2, Qt::LeftButton);
    QCOMPARE(boxes.texts(), QStringList{"No hay una ruta definida"});
    QCOMPARE(boxes.messages[0].icon, Icon::Warning);
    QCOMPARE(boxes.messages[0].title, QString::fromUtf8("¡Atención!"));
    QVERIFY(!c.exists("ruk.txt") && !c.exists("windows/system/inpout32.dll"));
    QVERIFY(wizard.isVisible());

    // Blanks are text: they are stored.
    wizard.Text1->setText(" ");
    QTest::mouseClick(wizard.Command2, Qt::LeftButton);
    QCOMPARE(c.read("ruk.txt"), QByteArray(" \r\n"));
    wizard.close();
}

void Form2Test::continue_failedCopyOrWriteWarnsAndLeavesNothingHalfDone_data()
{
    QTest::addColumn<QString>("removed");    // deleted from the scratch drive
    QTest::addColumn<QString>("blocked");    // a folder put where a file has to go
    QTest::addColumn<QString>("path");       // typed into Text1
    QTest::addColumn<QByteArray>("oldPath"); // the path file before the click, null for none
    QTest::addColumn<QString>("named");      // what the warning must name
    const QString path = "C:\\AutoCAD 2004\\acad.exe";
    const QByteArray old = "C:\\old\\acad.exe\r\n";
    QTest::newRow("library missing, first run") << "ruk/inpout32.dll" << "" << path << QByteArray() << "inpout32.dll";
    QTest::newRow("library missing") << "ruk/inpout32.dll" << "" << path << old << "inpout32.dll";
    QTest::newRow("folder missing") << "windows/system" << "" << path << old << "system";
    QTest::newRow("copy not replaceable") << "" << "windows/system/inpout32.dll" << path << old << "inpout32.dll";
    QTest::newRow("path file not writable") << "" << "ruk.txt" << path << QByteArray() << "ruk.txt";
    QTest::newRow("path not storable") << "" << "" << QString::fromUtf8("C:\\€\\acad.exe") << old << "ruk.txt";
}

void Form2Test::continue_failedCopyOrWriteWarnsAndLeavesNothingHalfDone()
{
    QFETCH(QString, removed);
    QFETCH(QString, blocked);
    QFETCH(QString, path);
    QFETCH(QByteArray, oldPath);
    QFETCH(QString, named);
    ScratchDrive c;
    prepare(c, "WINDOWS XP");
    if (!removed.isEmpty() && !QFile::remove(c.path(removed)))
        QDir(c.path(removed)).removeRecursively();
    if (!blocked.isEmpty())
        QDir().mkpath(c.path(blocked));
    if (!oldPath.isNull())
        c.write("ruk.txt", oldPath);
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    wizard.Text1->setText(path);
    QTest::mouseClick(wizard.Command2, Qt::LeftButton);

    QCOMPARE(boxes.messages.size(), 1);
    QCOMPARE(boxes.messages[0].icon, Icon::Warning);
    QVERIFY2(boxes.messages[0].text.contains(named), qPrintable(boxes.messages[0].text));
    QVERIFY(wizard.isVisible());
    // Nothing half done: the path file is as it was, the library is not copied,
    // and no new path file is left behind beside the old one.
    if (blocked != "ruk.txt")
        QCOMPARE(c.exists("ruk.txt") ? c.read("ruk.txt") : QByteArray(), oldPath);
    QVERIFY(!QFileInfo(c.path("windows/system/inpout32.dll")).isFile());
    for (const QString& entry : QDir(c.path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        QVERIFY2(QStringList({"ruk", "ruk.txt", "windows", "windows.ruk", "winnt"}).contains(entry),
                 qPrintable(entry));
    wizard.close();
}

void Form2Test::closeButton_storesAndCopiesNothing()
{
    ScratchDrive c;
    prepare(c, "WINDOWS XP");
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    wizard.Text1->setText("C:\\AutoCAD 2004\\acad.exe");
    QTest::mouseClick(wizard.Command1, Qt::LeftButton);
    QPointer<setup::Form3> locator = wizard.locator();
    wizard.close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!locator);
    QVERIFY(!c.exists("ruk.txt") && !c.exists("windows/system/inpout32.dll"));
    QVERIFY(boxes.messages.isEmpty());
}

void Form2Test::locator_secondClickKeepsTheOneDialog()
{
    ScratchDrive c;
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    QTest::mouseClick(wizard.Command1, Qt::LeftButton);
    setup::Form3* first = wizard.locator();
    QVERIFY(first && first->isVisible());
    QTest::mouseClick(wizard.Command1, Qt::LeftButton);
    QCOMPARE(wizard.locator(), first);
    QCOMPARE(wizard.findChildren<setup::Form3*>().size(), 1);
    wizard.close();
}

void Form2Test::enterOnFocusedButton_pressesIt()
{
    ScratchDrive c;
    prepare(c, "WINDOWS XP");
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    wizard.show();
    wizard.Command1->setFocus();
    QTest::keyClick(wizard.focusWidget(), Qt::Key_Return);
    QPointer<setup::Form3> locator = wizard.locator();
    QVERIFY(locator && locator->isVisible());

    // The locator's buttons too, with the Enter key of the keypad.
    locator->Command2->setFocus();
    QTest::keyClick(locator->focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!locator || !locator->isVisible());

    wizard.Text1->setText("C:\\AutoCAD 2004\\acad.exe");
    wizard.Command2->setFocus();
    QTest::keyClick(wizard.focusWidget(), Qt::Key_Return);
    QCOMPARE(boxes.texts(), QStringList{kCompleted});
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\AutoCAD 2004\\acad.exe\r\n"));
}

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
