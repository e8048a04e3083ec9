// Damaged, unreadable and unusual files on drive C:: the path file, the
// version file, the drive root and the system folder. Each case ends in a
// stated outcome: the wizard or the launch, the message shown, and what is on
// the drive afterwards. Never a crash, never "Configuración completada" for a
// step that did not happen.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "Form1.h"
#include "Form2.h"
#include "fakes.h"

using setup::Form1;
using setup::Form2;
using setup::core::Icon;

namespace {

const QString kCompleted = QString::fromUtf8("Configuración completada");
const QByteArray kLibraryBytes = "port i/o library";

// How a file is put on the drive.
enum class Kind {
    Bytes,         // a regular file with these bytes
    Missing,       // no file at all
    ReadError,     // opens, but its read fails (a link to /proc/self/mem)
    NoPermission,  // mode 000; root reads it all the same, so only without root
    Dangling,      // a symbolic link to nothing
    Fifo,          // a FIFO that nobody writes to
    EndlessDevice, // a symbolic link to /dev/zero
};

// Why a kind of file cannot be made here; none when it can.
const char* cannotMake(Kind kind)
{
    return kind == Kind::NoPermission && geteuid() == 0
               ? "running as root, which reads a file of mode 000 all the same"
               : nullptr;
}

void put(const ScratchDrive& c, const QString& name, Kind kind, const QByteArray& bytes = {})
{
    switch (kind) {
    case Kind::Bytes:
        c.write(name, bytes);
        break;
    case Kind::Missing:
        break;
    case Kind::ReadError:
        QVERIFY(QFile::link("/proc/self/mem", c.path(name)));
        break;
    case Kind::NoPermission:
        c.write(name, bytes);
        QVERIFY(QFile::setPermissions(c.path(name), QFileDevice::Permissions()));
        break;
    case Kind::Dangling:
        QVERIFY(QFile::link(c.path("nowhere"), c.path(name)));
        break;
    case Kind::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(c.path(name)).constData(), 0600), 0);
        break;
    case Kind::EndlessDevice:
        QVERIFY(QFile::link("/dev/zero", c.path(name)));
        break;
    }
}

// The library, both system folders and a version file.
void prepare(const ScratchDrive& c, const QByteArray& version = "WINDOWS XP\r\n")
{
    c.write("windows.ruk", version);
    c.write("ruk/inpout32.dll", kLibraryBytes);
    QDir().mkpath(c.path("winnt/system"));
    QDir().mkpath(c.path("windows/system"));
}

// Types a path into the wizard and presses "Continuar >>".
void store(Form2& wizard, const QString& path)
{
    wizard.show();
    wizard.Text1->setText(path);
    QTest::mouseClick(wizard.Command2, Qt::LeftButton);
}

// Makes a folder unwritable for as long as it lives: the immutable flag, which
// binds root too, or without root the permission bits. unavailable() says why
// neither could be set.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& path) : path_(path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            const int immutable = flags | FS_IMMUTABLE_FL;
            if (::ioctl(fd_, FS_IOC_SETFLAGS, &immutable) == 0) {
                flags_ = flags;
                return;
            }
        }
        if (geteuid() != 0 && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner)) {
            byMode_ = true;
            return;
        }
        why_ = "running as root where the immutable flag cannot be set (no CAP_LINUX_IMMUTABLE, or a file "
               "system without it): root writes to any folder";
    }
    ~ReadOnlyFolder()
    {
        if (flags_) ::ioctl(fd_, FS_IOC_SETFLAGS, &*flags_);
        if (byMode_) QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (fd_ >= 0) ::close(fd_);
    }
    const char* unavailable() const { return why_; }

private:
    QString path_;
    int fd_ = -1;
    std::optional<int> flags_;
    bool byMode_ = false;
    const char* why_ = nullptr;
};

}  // namespace

Q_DECLARE_METATYPE(Kind)

class BadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }
    void pathFile_unusableOpensTheWizardWithTheRightWarning_data();
    void pathFile_unusableOpensTheWizardWithTheRightWarning();
    void versionFile_onlyAnExactNameCopiesTheLibrary_data();
    void versionFile_onlyAnExactNameCopiesTheLibrary();
    void latin1Path_keptFromWizardToLaunch();
    void unusableDriveRoot_warnsAndKeepsTheOldPathFile_data();
    void unusableDriveRoot_warnsAndKeepsTheOldPathFile();
    void systemFolderIsAFile_warnsAndKeepsTheOldPathFile();
};

void BadFilesTest::pathFile_unusableOpensTheWizardWithTheRightWarning_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("warning");  // what the one warning says; empty for none
    const QString noPath = QString::fromUtf8("El archivo c:\\ruk.txt no contiene la ruta de AutoCAD.");
    const QString unreadable = QString::fromUtf8("No se puede leer el archivo c:\\ruk.txt.");
    // A stored program that does not exist opens the wizard without a word,
    // as when AutoCAD was moved. A first line that holds a NUL byte (binary
    // bytes) would name a shorter path than it holds, and one longer than
    // 32 KiB is no path: neither can be read; a FIFO or a device is not waited
    // for nor read.
    QTest::newRow("missing") << Kind::Missing << QByteArray() << "";
    // A link to nothing is there but cannot be opened: the warning says so.
    QTest::newRow("dangling link") << Kind::Dangling << QByteArray() << unreadable;
    QTest::newRow("empty") << Kind::Bytes << QByteArray() << noPath;
    QTest::newRow("only a line end") << Kind::Bytes << QByteArray("\r\n") << noPath;
    QTest::newRow("binary") << Kind::Bytes << QByteArray("\x7f" "ELF\x02\x01\x01\x00\x00\xff\xfe\x80", 12) << unreadable;
    QTest::newRow("NUL first") << Kind::Bytes << QByteArray("\x00" "C:\\a\\acad.exe\r\n", 16) << unreadable;
    QTest::newRow("32 KiB line") << Kind::Bytes << QByteArray(32 * 1024, 'a') << "";
    QTest::newRow("one MiB line") << Kind::Bytes << QByteArray(1 << 20, 'a') << unreadable;
    QTest::newRow("FIFO") << Kind::Fifo << QByteArray() << unreadable;
    QTest::newRow("/dev/zero") << Kind::EndlessDevice << QByteArray() << unreadable;
    QTest::newRow("read error") << Kind::ReadError << QByteArray() << unreadable;
    QTest::newRow("mode 000") << Kind::NoPermission << QByteArray("C:\\a\\acad.exe\r\n") << unreadable;
}

void BadFilesTest::pathFile_unusableOpensTheWizardWithTheRightWarning()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, warning);
    if (cannotMake(kind))
        QSKIP(cannotMake(kind));
    ScratchDrive c;
    put(c, "ruk.txt", kind, bytes);
    RecordingBoxes boxes;
    setup::core::SystemProcessStarter starter;
    Form1 splash(boxes, starter);
    QSignalSpy ended(&splash, &Form1::endRequested);
    splash.Timer1_Timer();

    QVERIFY(ended.isEmpty());
    QVERIFY(splash.wizard() && splash.wizard()->isVisible());
    QCOMPARE(boxes.texts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (!warning.isEmpty())
        QCOMPARE(boxes.messages[0].icon, Icon::Warning);
    if (kind == Kind::Bytes)
        QCOMPARE(c.read("ruk.txt"), bytes);  // the path file is left as it was
}

void BadFilesTest::versionFile_onlyAnExactNameCopiesTheLibrary_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");  // the version the wizard shows
    QTest::addColumn<QString>("copy");   // where the library lands; empty for nowhere
    const QString xp = "windows/system/inpout32.dll";
    // Only an exact version name copies the library; anything else stores the
    // path alone, as for a version that needs no library.
    QTest::newRow("missing") << Kind::Missing << QByteArray() << "" << "";
    QTest::newRow("empty") << Kind::Bytes << QByteArray() << "" << "";
    QTest::newRow("no line end") << Kind::Bytes << QByteArray("WINDOWS XP") << "WINDOWS XP" << xp;
    QTest::newRow("line feed only") << Kind::Bytes << QByteArray("WINDOWS 2000/NT\nrest") << "WINDOWS 2000/NT"
                                    << "winnt/system/inpout32.dll";
    QTest::newRow("trailing blank") << Kind::Bytes << QByteArray("WINDOWS XP \r\n") << "WINDOWS XP " << "";
    QTest::newRow("NUL inside") << Kind::Bytes << QByteArray("WINDOWS XP\x00\r\n", 13) << "" << "";
    QTest::newRow("UTF-8 BOM") << Kind::Bytes << QByteArray("\xef\xbb\xbfWINDOWS XP\r\n")
                               << QString::fromLatin1("\xef\xbb\xbfWINDOWS XP") << "";
    QTest::newRow("UTF-16") << Kind::Bytes << QByteArray("\xff\xfeW\x00X\x00P\x00\r\x00\n\x00", 12) << "" << "";
    QTest::newRow("one MiB line") << Kind::Bytes << QByteArray(1 << 20, 'W') << "" << "";
    QTest::newRow("FIFO") << Kind::Fifo << QByteArray() << "" << "";
    QTest::newRow("/dev/zero") << Kind::EndlessDevice << QByteArray() << "" << "";
    QTest::newRow("read error") << Kind::ReadError << QByteArray() << "" << "";
    QTest::newRow("mode 000") << Kind::NoPermission << QByteArray("WINDOWS XP\r\n") << "" << "";
}

void BadFilesTest::versionFile_onlyAnExactNameCopiesTheLibrary()
{
    QFETCH(Kind, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, copy);
    if (cannotMake(kind))
        QSKIP(cannotMake(kind));
    ScratchDrive c;
    prepare(c);
    QFile::remove(c.path("windows.ruk"));
    put(c, "windows.ruk", kind, bytes);
    RecordingBoxes boxes;
    Form2 wizard(boxes);
    QCOMPARE(wizard.Label3->text(), shown);
    store(wizard, "C:\\AutoCAD 2004\\acad.exe");

    QCOMPARE(boxes.texts(), QStringList{kCompleted});
    QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\AutoCAD 2004\\acad.exe\r\n"));
    for (const char* target : {"winnt/system/inpout32.dll", "windows/system/inpout32.dll"})
        QCOMPARE(c.exists(target), copy == target);
}

void BadFilesTest::latin1Path_keptFromWizardToLaunch()
{
    // Every Latin-1 letter and sign above ASCII, in folder names with blanks.
    QString high;
    for (char16_t u = 0xA1; u <= 0xFF; ++u)
        if (u != 0xAD)  // the soft hyphen is invisible; keep the names readable
            high += QChar(u);
    const QString path = QString::fromUtf8("C:\\Topografía Año\\Ñandú ") + high + "\\acad.exe";
    QByteArray onDisk = path.toLatin1() + "\r\n";
    QCOMPARE(onDisk.size(), path.size() + 2);  // one byte per character

    ScratchDrive c;
    prepare(c);
    // The program the path names, as a script that leaves a mark when it runs.
    const QString folder = QString::fromUtf8("Topografía Año/Ñandú ") + high;
    c.write(folder + "/acad.exe", "#!/bin/sh\ntouch \"$(dirname \"$0\")/started\"\n");
    QVERIFY(QFile::setPermissions(c.path(folder + "/acad.exe"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    RecordingBoxes boxes;
    Form2 wizard(boxes);
    store(wizard, path);
    QCOMPARE(boxes.texts(), QStringList{kCompleted});
    QCOMPARE(c.read("ruk.txt"), onDisk);

    setup::core::SystemProcessStarter starter;
    Form1 splash(boxes, starter, 0);
    QSignalSpy ended(&splash, &Form1::endRequested);
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(splash.Label4->text(), path);
    QTRY_VERIFY_WITH_TIMEOUT(c.exists(folder + "/started"), 30000);  // a process of its own, however busy the machine
    QCOMPARE(boxes.texts(), QStringList{kCompleted});
}

void BadFilesTest::unusableDriveRoot_warnsAndKeepsTheOldPathFile_data()
{
    QTest::addColumn<QString>("root");  // what RUK_DRIVE_C names, under the scratch folder
    QTest::newRow("read-only folder") << "drive";
    QTest::newRow("no such folder") << "gone";
    QTest::newRow("a file") << "file";
}

void BadFilesTest::unusableDriveRoot_warnsAndKeepsTheOldPathFile()
{
    QFETCH(QString, root);
    QTemporaryDir scratch;
    const QString drive = scratch.filePath(root);
    ScratchDrive unused;  // restores RUK_DRIVE_C when the test ends
    qputenv("RUK_DRIVE_C", QFile::encodeName(drive));
    std::optional<ReadOnlyFolder> readOnly;
    const QByteArray old = "C:\\old\\acad.exe\r\n";
    if (root == "drive") {
        QDir().mkpath(drive);
        QFile out(drive + "/ruk.txt");
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(old) == old.size());
        out.close();
        QDir().mkpath(drive + "/ruk");
        QDir().mkpath(drive + "/windows/system");
        QFile lib(drive + "/ruk/inpout32.dll");
        QVERIFY(lib.open(QIODevice::WriteOnly));
        lib.close();
        readOnly.emplace(drive);
        if (readOnly->unavailable())
            QSKIP(readOnly->unavailable());
    } else if (root == "file") {
        QFile file(drive);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    RecordingBoxes boxes;
    Form2 wizard(boxes);
    store(wizard, "C:\\AutoCAD 2004\\acad.exe");
    QCOMPARE(boxes.messages.size(), 1);
    QCOMPARE(boxes.messages[0].icon, Icon::Warning);
    QVERIFY2(boxes.messages[0].text.startsWith("No se ha podido guardar la ruta en c:\\ruk.txt: "),
             qPrintable(boxes.messages[0].text));
    QVERIFY(wizard.isVisible());
    if (root == "drive") {
        QFile in(drive + "/ruk.txt");
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), old);
        QVERIFY(!QFileInfo::exists(drive + "/windows/system/inpout32.dll"));
        QCOMPARE(QDir(drive).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"ruk", "ruk.txt", "windows"}));
    }
    wizard.close();
}

void BadFilesTest::systemFolderIsAFile_warnsAndKeepsTheOldPathFile()
{
    for (const QByteArray& version : {QByteArray("WINDOWS XP"), QByteArray("WINDOWS 2000/NT")}) {
        const QString system = version == "WINDOWS XP" ? "windows/system" : "winnt/system";
        ScratchDrive c;
        prepare(c, version + "\r\n");
        QDir(c.path(system)).removeRecursively();
        c.write(system, "a file where the folder belongs");
        c.write("ruk.txt", "C:\\old\\acad.exe\r\n");
        RecordingBoxes boxes;
        Form2 wizard(boxes);
        store(wizard, "C:\\AutoCAD 2004\\acad.exe");
        QCOMPARE(boxes.messages.size(), 1);
        QCOMPARE(boxes.messages[0].icon, Icon::Warning);
        QCOMPARE(boxes.messages[0].text, "No se ha podido copiar c:\\ruk\\inpout32.dll en C:\\" +
                                             QString(version == "WINDOWS XP" ? "windows" : "winnt") +
                                             "\\system\\: no se encuentra la carpeta " + c.path(system) + "/");
        QVERIFY(wizard.isVisible());
        QCOMPARE(c.read("ruk.txt"), QByteArray("C:\\old\\acad.exe\r\n"));
        QCOMPARE(c.read(system), QByteArray("a file where the folder belongs"));
        wizard.close();
    }
}

QTEST_MAIN(BadFilesTest)
#include "badfiles_test.moc"
