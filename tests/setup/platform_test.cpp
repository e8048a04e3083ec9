#include <QtTest>

#include "fakes.h"
#include "platform/drives.h"
#include "platform/filesystemobject.h"
#include "platform/textfile.h"
#include "platform/winpath.h"

using namespace setup::platform;

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void nativePath_wrongDriveFolderOrLostSeparator_data();
    void nativePath_wrongDriveFolderOrLostSeparator();
    void readFirstLine_trimmedSplitOrReadPastLineEnd_data();
    void readFirstLine_trimmedSplitOrReadPastLineEnd();
    void readFirstLine_missingVersusUnreadableConfused();
    void createTextFile_appendsOrLosesCrLf();
    void createTextFile_oldContentLostBeforeClose();
    void copyFile_wrongTargetNameOrSilentFailure();
    void detachedStart_missingProgramNotReportedOrBlanksLost();
    void driveOf_picksWrongVolume();
};

void PlatformTest::nativePath_wrongDriveFolderOrLostSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("driveC");
    QTest::addColumn<QString>("expected");
    const QString home = QDir::homePath();
    QTest::newRow("lower-case drive") << "c:\\ruk.txt" << QByteArray("/x") << "/x/ruk.txt";
    QTest::newRow("blanks inside") << "C:\\AutoCAD 2004\\acad.exe" << QByteArray("/x") << "/x/AutoCAD 2004/acad.exe";
    QTest::newRow("folder keeps separator") << "C:\\windows\\system\\" << QByteArray("/x/") << "/x/windows/system/";
    QTest::newRow("unset drive goes home") << "c:\\ruk.txt" << QByteArray() << home + "/.ruk/C/ruk.txt";
    QTest::newRow("other drive goes home") << "d:\\a\\b" << QByteArray("/x") << home + "/.ruk/D/a/b";
    QTest::newRow("native path") << "/opt/acad\\x" << QByteArray("/x") << "/opt/acad\\x";
    QTest::newRow("leading blank is native") << " C:\\a" << QByteArray("/x") << " C:\\a";
    QTest::newRow("drive-relative is native") << "C:a" << QByteArray("/x") << "C:a";
}

void PlatformTest::nativePath_wrongDriveFolderOrLostSeparator()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, driveC);
    QFETCH(QString, expected);
    qunsetenv("RUK_DRIVE_D");
    driveC.isNull() ? qunsetenv("RUK_DRIVE_C") : qputenv("RUK_DRIVE_C", driveC);
    QCOMPARE(nativePath(path), expected);
    qunsetenv("RUK_DRIVE_C");
}

void PlatformTest::readFirstLine_trimmedSplitOrReadPastLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("crlf") << QByteArray("C:\\a\\acad.exe\r\nnext\r\n") << "C:\\a\\acad.exe";
    QTest::newRow("lf only") << QByteArray("/opt/acad\nnext\n") << "/opt/acad";
    QTest::newRow("no line end") << QByteArray("/opt/acad") << "/opt/acad";
    QTest::newRow("blanks kept") << QByteArray("  C:\\a b\\acad.exe \r\n") << "  C:\\a b\\acad.exe ";
    QTest::newRow("latin-1") << QByteArray("C:\\Topograf\xed" "a\r\n") << QString::fromUtf8("C:\\Topografía");
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("empty first line") << QByteArray("\r\nC:\\a\r\n") << "";
}

void PlatformTest::readFirstLine_trimmedSplitOrReadPastLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    ScratchDrive c;
    c.write("ruk.txt", bytes);
    const FirstLine first = readFirstLine("c:\\ruk.txt");
    QCOMPARE(first.status, FirstLine::Status::Read);
    QCOMPARE(first.text, line);
}

void PlatformTest::readFirstLine_missingVersusUnreadableConfused()
{
    ScratchDrive c;
    QCOMPARE(readFirstLine("c:\\ruk.txt").status, FirstLine::Status::NotFound);
    QDir().mkpath(c.path("ruk.txt"));
    QCOMPARE(readFirstLine("c:\\ruk.txt").status, FirstLine::Status::Unreadable);
}

void PlatformTest::createTextFile_appendsOrLosesCrLf()
{
    ScratchDrive c;
    c.write("ruk.txt", "old line that is longer\r\n");
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile("c:\\ruk.txt", true);
    stream.WriteLine(QString::fromUtf8("C:\\Topografía\\acad.exe"));
    stream.Close();
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\Topograf\xed" "a\\acad.exe\r\n"));

    QVERIFY_THROWS_EXCEPTION(FsoError, fso.CreateTextFile("c:\\ruk.txt", false));
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\Topograf\xed" "a\\acad.exe\r\n"));
    QVERIFY_THROWS_EXCEPTION(FsoError, fso.CreateTextFile("c:\\no such folder\\ruk.txt", true));
}

void PlatformTest::createTextFile_oldContentLostBeforeClose()
{
    ScratchDrive c;
    const QByteArray old = "C:\\old\\acad.exe\r\n";
    c.write("ruk.txt", old);
    FileSystemObject fso;
    {
        TextStream refused = fso.CreateTextFile("c:\\ruk.txt", true);
        QVERIFY_THROWS_EXCEPTION(FsoError, refused.WriteLine(QString::fromUtf8("C:\\€\\acad.exe")));
        QCOMPARE(c.read("ruk.txt"), old);
    }
    {
        TextStream dropped = fso.CreateTextFile("c:\\ruk.txt", true);
        dropped.WriteLine("C:\\new\\acad.exe");
        QCOMPARE(c.read("ruk.txt"), old);
    }
    QCOMPARE(c.read("ruk.txt"), old);
    QCOMPARE(QDir(c.path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"ruk.txt"});

    TextStream kept = fso.CreateTextFile("c:\\ruk.txt", true);
    kept.WriteLine("C:\\new\\acad.exe");
    kept.Close();
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\new\\acad.exe\r\n"));
    QCOMPARE(QDir(c.path("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"ruk.txt"});
}

void PlatformTest::copyFile_wrongTargetNameOrSilentFailure()
{
    ScratchDrive c;
    c.write("ruk/inpout32.dll", "library");
    c.write("windows/system/inpout32.dll", "an older copy");
    FileSystemObject fso;
    fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\windows\\system\\");
    QCOMPARE(c.read("windows/system/inpout32.dll"), QByteArray("library"));
    fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\windows\\renamed.dll");
    QCOMPARE(c.read("windows/renamed.dll"), QByteArray("library"));

    QVERIFY_THROWS_EXCEPTION(FsoError, fso.CopyFile("c:\\ruk\\missing.dll", "C:\\windows\\system\\"));
    QVERIFY_THROWS_EXCEPTION(FsoError, fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\winnt\\system\\"));
    QDir().mkpath(c.path("blocked/inpout32.dll"));
    QVERIFY_THROWS_EXCEPTION(FsoError, fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\blocked\\"));
}

void PlatformTest::detachedStart_missingProgramNotReportedOrBlanksLost()
{
    ScratchDrive c;
    DetachedProcessStarter starter;
    QCOMPARE(starter.start("C:\\AutoCAD 2004\\acad.exe").status, StartResult::Status::NotFound);

    // A file name that ends in a blank is started under exactly that name.
    c.write("AutoCAD 2004/acad.exe ", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    QFile::setPermissions(c.path("AutoCAD 2004/acad.exe "), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(starter.start("C:\\AutoCAD 2004\\acad.exe ").status, StartResult::Status::Started);
    QTRY_VERIFY(c.exists("AutoCAD 2004/started"));

    // The reasons a program that exists does not start are given in Spanish.
    c.write("plain.txt", "not a program");
    const StartResult refused = starter.start("C:\\plain.txt");
    QCOMPARE(refused.status, StartResult::Status::Failed);
    QCOMPARE(refused.reason, QString("permiso denegado"));
    c.write("garbage.exe", QByteArray("MZ\0\1\2\3", 6));
    QFile::setPermissions(c.path("garbage.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(starter.start("C:\\garbage.exe").reason, QString("no es un programa ejecutable"));
    c.write("script", "#!/no/such/shell\n");
    QFile::setPermissions(c.path("script"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(starter.start("C:\\script").reason, QString("error del sistema"));
}

void PlatformTest::driveOf_picksWrongVolume()
{
    const QStringList drives{"/", "/mnt/usb", "/mnt/usb2"};
    QCOMPARE(driveOf("/mnt/usb2/acad", drives), QString("/mnt/usb2"));
    QCOMPARE(driveOf("/mnt/usb", drives), QString("/mnt/usb"));
    QCOMPARE(driveOf("/mnt/usbx", drives), QString("/"));
    QCOMPARE(driveRoots().value(0), QString("/"));
}

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
