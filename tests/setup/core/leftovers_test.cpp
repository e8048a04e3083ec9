// What a run of the wizard's store-and-copy step that is ended half-way
// leaves: nothing when a signal ends it, and what a harder end left is
// cleared at the next start, and nothing else.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "core/files.h"
#include "core/wizard.h"
#include "scratch.h"

using namespace setup::core;

#ifndef _WIN32
namespace {

int copyHeldPipe = -1;

// The file-size limit's signal holds the copy where it stands, half-way, and
// says so, until the signal under test ends the program.
void holdTheCopy(int)
{
    const char held = 'h';
    (void)!::write(copyHeldPipe, &held, 1);
    for (;;)
        ::pause();
}

}  // namespace

TEST(Leftovers, ASignalHalfWayThroughTheLibraryCopyLeavesNoNewFileAndTheOldConfiguration)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ScratchDrive c;
        const std::string oldPath = "C:\\old\\acad.exe\r\n";
        const std::string oldLibrary = "the library installed before";
        c.write("ruk.txt", oldPath);
        c.write("windows/system/inpout32.dll", oldLibrary);
        c.writeSparse("ruk/inpout32.dll", "MZ", 64 << 20);
        int held[2];
        ASSERT_EQ(::pipe(held), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            copyHeldPipe = held[1];
            struct sigaction hold {};
            hold.sa_handler = holdTheCopy;
            ::sigaction(SIGXFSZ, &hold, nullptr);
            const rlimit oneMebibyte{1 << 20, 1 << 20};
            ::setrlimit(RLIMIT_FSIZE, &oneMebibyte);
            RecordingBoxes boxes;
            storePathAndCopyLibrary("C:\\new\\acad.exe", "WINDOWS XP", boxes);
            ::_exit(0);
        }
        ::close(held[1]);
        char mark = 0;
        const bool halfWay = ::read(held[0], &mark, 1) == 1;
        ::close(held[0]);
        EXPECT_TRUE(halfWay) << "the copy ended before the first mebibyte";
        // Both new files are there: the path file's and the library's.
        EXPECT_EQ(c.strays().size() + c.strays("windows/system").size(), 2u);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "ended otherwise than by the signal " << signal;
        EXPECT_EQ(c.strays(), std::vector<std::string>{}) << "signal " << signal;
        EXPECT_EQ(c.strays("windows/system"), std::vector<std::string>{}) << "signal " << signal;
        EXPECT_EQ(c.read("ruk.txt"), oldPath);
        EXPECT_TRUE(c.read("windows/system/inpout32.dll") == oldLibrary) << "the installed library was changed";
    }
}
#endif

TEST(Leftovers, AtStartOnlyTheNewFilesOfAnEndedRunGoNotOthersNorOnesBeingWritten)
{
    ScratchDrive c;
    // What a run ended by SIGKILL or a power cut leaves beside the path file
    // and the installed libraries.
    const std::vector<std::string> leftovers = {
        "ruk.txt.new1",
        "ruk.txt.new123456",
        "windows/system/inpout32.dll.new42",
        "winnt/system/inpout32.dll.new999999",
    };
    // Names of other patterns, and the pattern in other places.
    const std::vector<std::string> others = {
        "ruk.txt.new",  "ruk.txt.new1234567", "ruk.txt.new12a", "ruk.txt.new-1", "ruk.txt.old123",
        "Ruk.txt.new5", "xruk.txt.new5", "ruk/inpout32.dll.new42", "windows/system/other.dll.new42",
        "windows/inpout32.dll.new42",
    };
    for (const std::vector<std::string>* names : {&leftovers, &others})
        for (const std::string& name : *names)
            c.write(name, "x");
    fs::create_directories(c.path("ruk.txt.new77"));
#ifndef _WIN32
    c.write("elsewhere/keep", "somebody else's file");
    fs::create_symlink(c.path("elsewhere/keep"), c.path("ruk.txt.new88"));
#endif
    // The new path file of a run that goes on (this one).
    TextStream live = FileSystemObject().CreateTextFile("c:\\ruk.txt", true);
    live.WriteLine("C:\\live\\acad.exe");

    removeLeftoversOfEarlierRuns();
    for (const std::string& name : leftovers)
        EXPECT_FALSE(c.exists(name)) << name;
    for (const std::string& name : others)
        EXPECT_TRUE(c.exists(name)) << name;
    EXPECT_TRUE(fs::is_directory(c.path("ruk.txt.new77")));
#ifndef _WIN32
    EXPECT_TRUE(fs::is_symlink(c.path("ruk.txt.new88")));
#endif
    live.Close();
    EXPECT_EQ(c.read("ruk.txt"), "C:\\live\\acad.exe\r\n");

    std::error_code ec;
    for (const std::string& name : others)
        fs::remove(c.path(name), ec);
}
