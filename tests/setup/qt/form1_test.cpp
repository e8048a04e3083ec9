#include <QImageReader>
#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "Form1.h"
#include "Form2.h"
#include "fakes.h"

using setup::Form1;
using setup::core::Icon;
using setup::core::StartResult;

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }
    void timer_singleShot3000msFromTheStart();
    void splash_toolWindowOfItsSizeAndFonts();
    void image1_showsThePrismStretchedIntoItsBox();
    void launch_startsTheFirstLineAndEndsSetup_data();
    void launch_startsTheFirstLineAndEndsSetup();
    void firstRun_showsTheWizardAndClosesTheSplash();
    void closedSplash_endsSetupAndStartsNothing();
    void missingProgram_opensTheWizardSilentlyAndKeepsThePathFile();
    void unusablePathFile_warnsOnceThenOpensTheWizard_data();
    void unusablePathFile_warnsOnceThenOpensTheWizard();
    void realStart_runsTheExecutableDetached();
};

void Form1Test::timer_singleShot3000msFromTheStart()
{
    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter);
    QCOMPARE(splash.Timer1->interval(), 3000);
    QVERIFY(splash.Timer1->isActive());
    QVERIFY(splash.Timer1->isSingleShot());
}

void Form1Test::splash_toolWindowOfItsSizeAndFonts()
{
    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter);
    QCOMPARE(splash.windowTitle(), QString("RUK - 3"));
    QCOMPARE(splash.windowType(), Qt::Tool);
    QVERIFY(!(splash.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    const double dpi = splash.screen()->logicalDotsPerInch();
    QCOMPARE(splash.minimumSize(), QSize(qRound(5130 * dpi / 1440), qRound(1980 * dpi / 1440)));
    QCOMPARE(splash.maximumSize(), splash.minimumSize());
    // Label4 only carries the path: it must lie below the client area.
    QVERIFY(splash.Label4->y() >= splash.height());
    for (QLabel* shown : {splash.Label1, splash.Label2, splash.LBLinico, splash.Label3, splash.Image1})
        QVERIFY2(splash.rect().contains(shown->geometry()), qPrintable(shown->objectName()));
    QCOMPARE(QFontInfo(splash.Label1->font()).family(), QString("Liberation Sans"));
    QVERIFY(splash.Label1->font().bold() && splash.Label2->font().bold() && !splash.Label3->font().bold());
    QCOMPARE(splash.Label2->font().pointSizeF(), 18.0);
    QVERIFY(splash.Label3->text().contains("@example.com"));
    QCOMPARE(clippedLabels(splash), QStringList());
    QCOMPARE(splash.LBLinico->pos(), QPoint(qRound(3300 * dpi / 1440), qRound(1710 * dpi / 1440)));
}

void Form1Test::image1_showsThePrismStretchedIntoItsBox()
{
    // The picture as it ships: 416 by 365 pixels of 24-bit colour, no alpha.
    QImageReader file(QStringLiteral(":/prism.png"));
    QCOMPARE(file.size(), QSize(416, 365));
    QCOMPARE(file.imageFormat(), QImage::Format_RGB32);

    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter);
    splash.show();
    const QImage shown = splash.Image1->grab().toImage();
    const double dpi = splash.screen()->logicalDotsPerInch();
    QCOMPARE(splash.Image1->size(), QSize(qRound(1020 * dpi / 1440), qRound(1035 * dpi / 1440)));
    // What Image1 shows where the whole picture, stretched to its box, has the
    // sky, the plate, a mark, the glass and the pole.
    struct Sample {
        const char* what;
        int x, y;  // in the picture's pixels
        std::function<bool(const QColor&)> looks;
    };
    const Sample samples[] = {
        {"sky", 4, 4, [](const QColor& c) { return c.blue() > 200 && c.blue() > c.red() + 40; }},
        {"plate", 80, 240, [](const QColor& c) { return c.red() > 200 && c.green() > 150 && c.blue() < 80; }},
        {"mark", 208, 36, [](const QColor& c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; }},
        {"glass", 230, 175, [](const QColor& c) { return c.blue() > c.red() + 30; }},
        {"pole", 208, 330, [](const QColor& c) {
             return c.red() > 100 && std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) < 25;
         }},
    };
    for (const Sample& sample : samples) {
        const QColor colour = shown.pixelColor(sample.x * shown.width() / 416, sample.y * shown.height() / 365);
        QVERIFY2(sample.looks(colour), qPrintable(QString("%1: %2").arg(sample.what, colour.name())));
    }
}

void Form1Test::launch_startsTheFirstLineAndEndsSetup_data()
{
    QTest::addColumn<QByteArray>("pathFile");
    QTest::addColumn<QString>("program");
    QTest::newRow("one line") << QByteArray("C:\\AutoCAD 2004\\acad.exe\r\n") << "C:\\AutoCAD 2004\\acad.exe";
    QTest::newRow("first of several") << QByteArray("C:\\a\\acad.exe\r\nC:\\b\\acad.exe\r\n") << "C:\\a\\acad.exe";
    QTest::newRow("blanks kept") << QByteArray(" C:\\a b\\acad.exe  \r\n") << " C:\\a b\\acad.exe  ";
}

void Form1Test::launch_startsTheFirstLineAndEndsSetup()
{
    QFETCH(QByteArray, pathFile);
    QFETCH(QString, program);
    ScratchDrive c;
    c.write("ruk.txt", pathFile);
    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter, 0);
    QSignalSpy ended(&splash, &Form1::endRequested);
    splash.show();
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(starter.started, QStringList{program});
    QCOMPARE(splash.Label4->text(), program);
    QVERIFY(!splash.wizard());
    QVERIFY(boxes.messages.isEmpty());
}

void Form1Test::firstRun_showsTheWizardAndClosesTheSplash()
{
    ScratchDrive c;
    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter, 0);
    splash.show();
    QSignalSpy ended(&splash, &Form1::endRequested);
    QTRY_VERIFY(splash.wizard());
    QVERIFY(splash.wizard()->isVisible());
    QVERIFY(!splash.isVisible());
    QVERIFY(starter.started.isEmpty() && boxes.messages.isEmpty());
    // Handing over closes the splash, but setup goes on in the wizard.
    QVERIFY(ended.isEmpty());
}

void Form1Test::closedSplash_endsSetupAndStartsNothing()
{
    ScratchDrive c;
    c.write("ruk.txt", "C:\\AutoCAD 2004\\acad.exe\r\n");
    RecordingBoxes boxes;
    RecordingStarter starter;
    Form1 splash(boxes, starter, 0);
    QSignalSpy ended(&splash, &Form1::endRequested);
    splash.show();
    QVERIFY(splash.close());
    QCOMPARE(ended.count(), 1);
    QVERIFY(!splash.Timer1->isActive());
    // A timer of 0 ms left running would fire in this pass of the event loop.
    QCoreApplication::processEvents();
    QVERIFY(starter.started.isEmpty());
    QVERIFY(!splash.wizard());
    QCOMPARE(ended.count(), 1);
}

void Form1Test::missingProgram_opensTheWizardSilentlyAndKeepsThePathFile()
{
    ScratchDrive c;
    c.write("ruk.txt", "C:\\gone\\acad.exe\r\n");
    RecordingBoxes boxes;
    RecordingStarter starter;
    starter.result = {StartResult::Status::NotFound, {}};
    Form1 splash(boxes, starter);
    QSignalSpy ended(&splash, &Form1::endRequested);
    splash.Timer1_Timer();
    QVERIFY(splash.wizard() && splash.wizard()->isVisible());
    QVERIFY(ended.isEmpty() && boxes.messages.isEmpty());
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\gone\\acad.exe\r\n"));
}

void Form1Test::unusablePathFile_warnsOnceThenOpensTheWizard_data()
{
    QTest::addColumn<QByteArray>("pathFile");  // null: the path file is a folder
    QTest::addColumn<bool>("startFails");
    QTest::newRow("empty file") << QByteArray("") << false;
    QTest::newRow("empty first line") << QByteArray("\r\nC:\\a\\acad.exe\r\n") << false;
    QTest::newRow("cannot be opened") << QByteArray() << false;
    QTest::newRow("program cannot start") << QByteArray("C:\\a\\acad.exe\r\n") << true;
}

void Form1Test::unusablePathFile_warnsOnceThenOpensTheWizard()
{
    QFETCH(QByteArray, pathFile);
    QFETCH(bool, startFails);
    ScratchDrive c;
    pathFile.isNull() ? void(QDir().mkpath(c.path("ruk.txt"))) : c.write("ruk.txt", pathFile);
    RecordingBoxes boxes;
    RecordingStarter starter;
    if (startFails)
        starter.result = {StartResult::Status::Failed, "permiso denegado"};
    Form1 splash(boxes, starter);
    splash.Timer1_Timer();
    QCOMPARE(boxes.messages.size(), 1);
    QCOMPARE(boxes.messages[0].icon, Icon::Warning);
    QCOMPARE(boxes.messages[0].title, QString::fromUtf8("¡Atención!"));
    if (startFails)
        QCOMPARE(boxes.messages[0].text, QString("No se puede iniciar el programa C:\\a\\acad.exe: permiso denegado"));
    else
        QVERIFY(boxes.messages[0].text.contains("ruk.txt"));
    QVERIFY(splash.wizard() && splash.wizard()->isVisible());
    QVERIFY(!splash.Timer1->isActive());
}

void Form1Test::realStart_runsTheExecutableDetached()
{
    ScratchDrive c;
    c.write("AutoCAD 2004/acad.exe", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    QFile::setPermissions(c.path("AutoCAD 2004/acad.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    c.write("ruk.txt", "C:\\AutoCAD 2004\\acad.exe\r\n");
    RecordingBoxes boxes;
    setup::core::SystemProcessStarter starter;
    Form1 splash(boxes, starter, 0);
    QSignalSpy ended(&splash, &Form1::endRequested);
    QTRY_COMPARE(ended.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(c.exists("AutoCAD 2004/started"), 30000);  // a process of its own, however busy the machine
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
