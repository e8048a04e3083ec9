// The system's files: the first line of a text file, the path file written
// whole or not at all, the library copy, Windows paths on this machine.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "core/files.h"
#include "core/text.h"
#include "scratch.h"

using namespace setup::core;

TEST(Text, Latin1RoundTripAndRefusal)
{
    std::string every;
    for (int byte = 1; byte < 256; ++byte)
        every += static_cast<char>(byte);
    EXPECT_EQ(utf8ToLatin1(latin1ToUtf8(every)), every);
    EXPECT_EQ(latin1ToUtf8("Topograf\xed" "a"), "Topografía");
    EXPECT_EQ(utf8ToLatin1("C:\\€\\acad.exe"), std::nullopt);   // beyond Latin-1
    EXPECT_EQ(utf8ToLatin1("C:\\Ω"), std::nullopt);
    EXPECT_EQ(utf8ToLatin1("\xc3"), std::nullopt);              // cut short
    EXPECT_EQ(utf8ToLatin1("\xe9t\xe9"), std::nullopt);         // Latin-1 bytes, not UTF-8
}

#ifndef _WIN32
TEST(NativePath, WindowsPathsMapOntoADriveFolder)
{
    const ScratchHome scratchHome;
    const std::string home = scratchHome.string();
    ::unsetenv("RUK_DRIVE_D");
    ::setenv("RUK_DRIVE_C", "/x", 1);
    EXPECT_EQ(nativePath("c:\\ruk.txt"), "/x/ruk.txt");
    EXPECT_EQ(nativePath("C:\\AutoCAD 2004\\acad.exe"), "/x/AutoCAD 2004/acad.exe");
    EXPECT_EQ(nativePath("d:\\a\\b"), home + "/.ruk/D/a/b");
    EXPECT_EQ(nativePath("/opt/acad\\x"), "/opt/acad\\x");  // native paths unchanged
    EXPECT_EQ(nativePath(" C:\\a"), " C:\\a");
    EXPECT_EQ(nativePath("C:a"), "C:a");
    ::setenv("RUK_DRIVE_C", "/x/", 1);
    EXPECT_EQ(nativePath("C:\\windows\\system\\"), "/x/windows/system/");  // a folder stays a folder
    ::unsetenv("RUK_DRIVE_C");
    EXPECT_EQ(nativePath("c:\\ruk.txt"), home + "/.ruk/C/ruk.txt");
}

TEST(NativePath, DriveCIsTheWinePrefixsSoThatTheAddOnUnderWineSharesItsFiles)
{
    const ScratchHome scratchHome;
    const std::string home = scratchHome.string();
    const std::string prefix = home + "/prefix";
    const struct {
        const char* what;
        const char* drive;       // RUK_DRIVE_C, or nullptr for unset
        const char* winePrefix;  // WINEPREFIX (a folder below home), or nullptr for unset
        bool homeWine;           // whether ~/.wine/drive_c exists
        bool prefixWine;         // whether home/prefix/drive_c exists
        std::string driveC;      // the folder drive C: is
    } cases[] = {
        {"RUK_DRIVE_C set", "/x", "/prefix", true, true, "/x"},
        {"RUK_DRIVE_C empty", "", nullptr, true, false, home + "/.wine/drive_c"},
        {"WINEPREFIX set", nullptr, "/prefix", true, true, prefix + "/drive_c"},
        {"WINEPREFIX with a slash", nullptr, "/prefix/", false, true, prefix + "/drive_c"},
        // Wine would use that prefix, not ~/.wine.
        {"WINEPREFIX without drive_c", nullptr, "/prefix", true, false, home + "/.ruk/C"},
        {"WINEPREFIX empty", nullptr, "", true, false, home + "/.wine/drive_c"},
        {"~/.wine exists", nullptr, nullptr, true, false, home + "/.wine/drive_c"},
        {"no prefix", nullptr, nullptr, false, false, home + "/.ruk/C"},
    };
    for (const auto& [what, drive, winePrefix, homeWine, prefixWine, driveC] : cases) {
        fs::remove_all(home + "/.wine");
        fs::remove_all(prefix);
        if (homeWine)
            fs::create_directories(home + "/.wine/drive_c");
        else
            fs::create_directories(home + "/.wine");  // a prefix folder without drive_c is none
        if (prefixWine)
            fs::create_directories(prefix + "/drive_c");
        drive ? ::setenv("RUK_DRIVE_C", drive, 1) : ::unsetenv("RUK_DRIVE_C");
        winePrefix ? ::setenv("WINEPREFIX", *winePrefix ? (home + winePrefix).c_str() : "", 1) : ::unsetenv("WINEPREFIX");
        EXPECT_EQ(driveFolder('C'), driveC) << what;
        EXPECT_EQ(nativePath("c:\\ruk.txt"), driveC + "/ruk.txt") << what;
        EXPECT_EQ(nativePath("C:\\windows\\system\\"), driveC + "/windows/system/") << what;
        EXPECT_EQ(nativePath("d:\\a"), home + "/.ruk/D/a") << what;  // only drive C: is Wine's
    }
    ::unsetenv("RUK_DRIVE_C");
}
#endif

TEST(ReadFirstLine, TheFirstLineExactlyAsItStands)
{
    ScratchDrive c;
    const struct {
        std::string bytes, line;
    } cases[] = {
        {"C:\\a\\acad.exe\r\nnext\r\n", "C:\\a\\acad.exe"},
        {"/opt/acad\nnext\n", "/opt/acad"},
        {"/opt/acad", "/opt/acad"},
        {"  C:\\a b\\acad.exe \r\n", "  C:\\a b\\acad.exe "},
        {"C:\\Topograf\xed" "a\r\n", "C:\\Topografía"},
        {"", ""},
        {"\r\nC:\\a\r\n", ""},
    };
    for (const auto& [bytes, line] : cases) {
        c.write("ruk.txt", bytes);
        const FirstLine first = readFirstLine("c:\\ruk.txt");
        EXPECT_EQ(first.status, FirstLine::Status::Read) << bytes;
        EXPECT_EQ(first.text, line);
    }
}

TEST(ReadFirstLine, MissingAndUnreadableAreTold)
{
    ScratchDrive c;
    EXPECT_EQ(readFirstLine("c:\\ruk.txt").status, FirstLine::Status::NotFound);
    fs::create_directories(c.path("ruk.txt"));
    EXPECT_EQ(readFirstLine("c:\\ruk.txt").status, FirstLine::Status::Unreadable);
}

TEST(ReadFirstLine, AtMost32KiBAreReadNotAGigabyte)
{
    ScratchDrive c;
    const std::string longest(kLongestFirstLine, 'a');
    const std::uint64_t gigabyte = 1ull << 30;
    const struct {
        std::string start;
        std::uint64_t size;
        FirstLine::Status status;
        std::string line;
    } cases[] = {
        {"C:\\a\\acad.exe\r\n", gigabyte, FirstLine::Status::Read, "C:\\a\\acad.exe"},
        {"C:\\a\\acad.exe", gigabyte, FirstLine::Status::Unreadable, ""},  // a line of zeros after it
        {longest + "\r\n", kLongestFirstLine + 2, FirstLine::Status::Read, longest},
        {longest, kLongestFirstLine, FirstLine::Status::Read, longest},
        {longest + "a", kLongestFirstLine + 1, FirstLine::Status::Unreadable, ""},
    };
    for (const auto& [start, size, status, line] : cases) {
        c.writeSparse("ruk.txt", start, size);
        const FirstLine first = readFirstLine("c:\\ruk.txt");
        EXPECT_EQ(first.status, status) << start.substr(0, 20) << " in " << size << " bytes";
        EXPECT_EQ(first.text, line) << start.substr(0, 20) << " in " << size << " bytes";
    }
}

#ifndef _WIN32
TEST(ReadFirstLine, AFifoOrADeviceIsNeitherWaitedForNorRead)
{
    ScratchDrive c;
    // A read that waits for the FIFO's writer ends the test program here.
    ::alarm(20);
    ASSERT_EQ(::mkfifo(c.path("ruk.txt").c_str(), 0600), 0);
    EXPECT_EQ(readFirstLine("c:\\ruk.txt").status, FirstLine::Status::Unreadable);
    // /dev/zero has no line end and no end at all.
    fs::create_symlink("/dev/zero", c.path("windows.ruk"));
    EXPECT_EQ(readFirstLine("c:\\windows.ruk").status, FirstLine::Status::Unreadable);
    ::alarm(0);
}
#endif

TEST(CreateTextFile, ReplacesWithLatin1LineAndCrLf)
{
    ScratchDrive c;
    c.write("ruk.txt", "old line that is longer\r\n");
    FileSystemObject fso;
    TextStream stream = fso.CreateTextFile("c:\\ruk.txt", true);
    stream.WriteLine("C:\\Topografía\\acad.exe");
    stream.Close();
    EXPECT_EQ(c.read("ruk.txt"), "C:\\Topograf\xed" "a\\acad.exe\r\n");

    EXPECT_THROW(fso.CreateTextFile("c:\\ruk.txt", false), FsoError);
    EXPECT_EQ(c.read("ruk.txt"), "C:\\Topograf\xed" "a\\acad.exe\r\n");
    EXPECT_THROW(fso.CreateTextFile("c:\\no such folder\\ruk.txt", true), FsoError);
}

TEST(CreateTextFile, OldContentStaysUntilClose)
{
    ScratchDrive c;
    const std::string old = "C:\\old\\acad.exe\r\n";
    c.write("ruk.txt", old);
    FileSystemObject fso;
    {
        TextStream refused = fso.CreateTextFile("c:\\ruk.txt", true);
        try {
            refused.WriteLine("C:\\€\\acad.exe");
            ADD_FAILURE() << "a character beyond Latin-1 was written";
        } catch (const FsoError& error) {
            EXPECT_NE(error.description.find("no se pueden guardar"), std::string::npos) << error.description;
        }
        EXPECT_EQ(c.read("ruk.txt"), old);
    }
    {
        TextStream dropped = fso.CreateTextFile("c:\\ruk.txt", true);
        dropped.WriteLine("C:\\new\\acad.exe");
        EXPECT_EQ(c.read("ruk.txt"), old);
    }
    EXPECT_EQ(c.read("ruk.txt"), old);
    EXPECT_TRUE(c.strays().empty());

    TextStream kept = fso.CreateTextFile("c:\\ruk.txt", true);
    kept.WriteLine("C:\\new\\acad.exe");
    kept.Close();
    EXPECT_EQ(c.read("ruk.txt"), "C:\\new\\acad.exe\r\n");
    EXPECT_TRUE(c.strays().empty());
}

TEST(CopyFile, IntoAFolderOrToANameAndEveryFailureThrows)
{
    ScratchDrive c;
    c.write("ruk/inpout32.dll", "library");
    c.write("rukcopy/system/inpout32.dll", "an older copy");
    FileSystemObject fso;
    fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\rukcopy\\system\\");
    EXPECT_EQ(c.read("rukcopy/system/inpout32.dll"), "library");
    fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\rukcopy\\renamed.dll");
    EXPECT_EQ(c.read("rukcopy/renamed.dll"), "library");

    EXPECT_THROW(fso.CopyFile("c:\\ruk\\missing.dll", "C:\\rukcopy\\system\\"), FsoError);
    EXPECT_THROW(fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\rukcopy\\missing\\"), FsoError);
    fs::create_directories(c.path("rukblocked/inpout32.dll"));
    EXPECT_THROW(fso.CopyFile("c:\\ruk\\inpout32.dll", "C:\\rukblocked\\"), FsoError);
}

#ifndef _WIN32
TEST(CopyFile, AFailureHalfWayLeavesTheInstalledCopyAsItWas)
{
    ScratchDrive c;
    const std::string installed = "the library installed before";
    c.write("ruk/inpout32.dll", std::string(1 << 20, 'N'));
    c.write("windows/system/inpout32.dll", installed);
    // The disk is full after 256 KiB: a limit on the size of the files this
    // child writes, with the signal that would end it ignored.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            FileSystemObject().CopyFile("c:\\ruk\\inpout32.dll", "C:\\windows\\system\\");
        } catch (const FsoError& error) {
            ::_exit(error.description.find("no se puede escribir") == std::string::npos ? 3 : 0);
        }
        ::_exit(2);  // reported as done
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: the copy was reported as done; 3: the wrong reason";
    EXPECT_TRUE(c.read("windows/system/inpout32.dll") == installed) << "the installed copy was changed";
    EXPECT_TRUE(c.strays("windows/system").empty());
}

TEST(CopyFile, ALinkAtTheTargetIsReplacedNotWrittenThrough)
{
    ScratchDrive c;
    c.write("ruk/inpout32.dll", "new library");
    fs::permissions(c.path("ruk/inpout32.dll"), fs::perms(0640));
    c.write("elsewhere/keep.dll", "somebody else's file");
    fs::create_directories(c.path("windows/system"));
    fs::create_symlink(c.path("elsewhere/keep.dll"), c.path("windows/system/inpout32.dll"));
    FileSystemObject().CopyFile("c:\\ruk\\inpout32.dll", "C:\\windows\\system\\");
    const fs::path copy = c.path("windows/system/inpout32.dll");
    EXPECT_EQ(fs::symlink_status(copy).type(), fs::file_type::regular);
    EXPECT_EQ(c.read("windows/system/inpout32.dll"), "new library");
    EXPECT_EQ(c.read("elsewhere/keep.dll"), "somebody else's file");
    EXPECT_EQ(fs::status(copy).permissions(), fs::perms(0640));  // the library's own, as a copy has them
    EXPECT_TRUE(c.strays("windows/system").empty());
}
#endif
