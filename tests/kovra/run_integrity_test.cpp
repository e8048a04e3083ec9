// Every run ends in a known state: interrupted at any moment, raced by another
// run, started without standard streams or threads, with its messages going
// into a pipe nobody reads, or writing through a link, the output's path holds
// its old bytes or the whole new output, never a piece of it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const std::string kOld = "the previous output\r\n";

// A large ETRS89 input, reverse shifts and some messages: the golden input
// many times over.
std::string largeInput()
{
    const std::string golden = readFile(RUK_GOLDEN_DIR "/etrs89_generated.txt");
    const std::string body = golden.substr(golden.find('\n') + 1);
    std::string input = golden;
    for (int i = 0; i < 80; ++i) input += body;
    return input;
}

struct Workspace {
    TempDir dir;
    explicit Workspace(const std::string& input)
    {
        fs::copy_file(DEMO_GRID, dir / "mirtaxo.gsb");
        writeFile(dir / "in.txt", input);
        fs::permissions(dir.path(), fs::perms::all);  // for runs as another user
    }
    // What is in the folder besides the input, the grid and the output.
    std::vector<std::string> strays() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename();
            if (name != "in.txt" && name != "mirtaxo.gsb" && name != "out.txt") names.push_back(name);
        }
        return names;
    }
};

// The output and messages of an uninterrupted run, and how long it took.
struct Reference {
    ProgramRun run;
    std::string output;
    double seconds;
};

Reference referenceRun(const std::string& input)
{
    Workspace w(input);
    const auto start = std::chrono::steady_clock::now();
    ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {std::move(run), readFile(w.dir / "out.txt"), seconds};
}

// Whether a process runs as uid (its real, effective, saved or file-system user).
bool anyProcessRunsAs(uid_t uid)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::ifstream status(entry.path() / "status");  // none for what is no process, or one just gone
        for (std::string line; std::getline(status, line);) {
            if (!line.starts_with("Uid:")) continue;
            std::istringstream ids(line.substr(4));
            for (uid_t id; ids >> id;)
                if (id == uid) return true;
        }
    }
    return false;
}

// A user id of this test process's own: no account has it and no process
// runs as it. RLIMIT_NPROC counts every process of the real user on the
// machine, so a limit on a shared user such as nobody counts processes that
// have nothing to do with the test. Derived from the process id, so that test
// processes running at the same time each get their own.
uid_t privateUserId()
{
    static const uid_t id = [] {
        constexpr uid_t kFirst = 0x70000000, kStep = 1u << 22;  // process ids stay below 2^22
        for (uid_t uid = kFirst + static_cast<uid_t>(getpid()) % kStep; uid < 0xf0000000u; uid += kStep)
            if (!getpwuid(uid) && !anyProcessRunsAs(uid)) return uid;
        throw std::runtime_error("no unused user id");
    }();
    return id;
}

// Runs as the test's private user from here on, in its group alone; with at
// most processes processes and threads of that user when that is given.
ChildSetup asPrivateUser(std::optional<rlim_t> processes = std::nullopt)
{
    const uid_t id = privateUserId();  // found before the fork: the child only switches
    return [id, processes] {
        const rlimit limit{processes.value_or(0), processes.value_or(0)};
        if ((processes && setrlimit(RLIMIT_NPROC, &limit) != 0) || setgroups(0, nullptr) != 0 || setgid(id) != 0 ||
            setuid(id) != 0)
            _exit(126);
    };
}

// Writes all of bytes to fd; false once a write fails (the reader has gone).
bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The FIFO at path open for writing, once the program has opened it for
// reading; -1 when the program ends first.
int openWhenRead(const fs::path& path, pid_t program)
{
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);  // fails (ENXIO) until there is a reader
        if (fd >= 0) {
            ::fcntl(fd, F_SETFL, 0);  // writes wait for the reader from here on
            return fd;
        }
        siginfo_t info{};
        if (errno != ENXIO || ::waitid(P_PID, program, &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Whether an interrupted run's messages end by saying so: the output left
// as it was, then the summary of the records read until then.
bool endsInterrupted(const std::string& err)
{
    static const std::regex summary(
        "kovra: in\\.txt: [0-9]+ of [0-9]+ points? converted, [0-9]+ not converted, [0-9]+ warnings?; the run was "
        "interrupted after line [0-9]+ without finishing its output\n");
    const std::string said = "kovra: interrupted: out.txt was left as it was\n";
    const std::size_t last = err.rfind('\n', err.size() - 2) + 1;  // 0 for a single line
    return err.ends_with("\n") && err.substr(0, last).ends_with(said) &&
           std::regex_match(err.substr(last), summary);
}

}  // namespace

TEST(RunIntegrity, ASignalAtAnyMomentLeavesTheOldOutputOrTheWholeNewOne)
{
    const std::string input = largeInput();
    const Reference reference = referenceRun(input);
    ASSERT_EQ(reference.run.status, 1);
    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> moment(0, 1.2 * reference.seconds);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        for (int attempt = 0; attempt < 6; ++attempt) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << ", attempt " << attempt);
            Workspace w(input);
            writeFile(w.dir / "out.txt", kOld);
            StartedProgram kovra(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path());
            std::this_thread::sleep_for(std::chrono::duration<double>(moment(random)));
            ::kill(kovra.pid(), signal);
            const ProgramRun run = kovra.wait();
            const std::string output = readFile(w.dir / "out.txt");
            if (run.status == 128 + signal) {
                EXPECT_TRUE(output == kOld) << "an interrupted run changed the output";
                if (signal == SIGKILL) continue;  // its temporary file may stay behind
                const bool beforeItsStart = run.err.empty();  // the signal's default action, nothing begun
                EXPECT_TRUE(beforeItsStart || endsInterrupted(run.err)) << run.err;
            } else {
                EXPECT_EQ(run.status, reference.run.status);  // the signal came after the end
                EXPECT_TRUE(output == reference.output);
            }
            EXPECT_TRUE(w.strays().empty()) << w.strays().front();
        }
    }
}

TEST(RunIntegrity, ASignalMidRunLeavesTheOldOutputAndSaysSo)
{
    // The input comes through a FIFO that the test keeps open: the run cannot
    // end before the test lets it, so the signal comes while it converts the
    // first half of the records or waits for more, whatever the machine's
    // speed. Its handlers are in place once it opens its input.
    const std::string input = largeInput();
    const std::size_t half = input.find('\n', input.size() / 2) + 1;
    const auto previousPipeAction = std::signal(SIGPIPE, SIG_IGN);  // the run may go before the rest is written
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        for (const char* threads : {"KOVRA_THREADS=1", "KOVRA_THREADS=3"}) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << ", " << threads);
            Workspace w(input);
            fs::remove(w.dir / "in.txt");
            ASSERT_EQ(::mkfifo((w.dir / "in.txt").c_str(), 0600), 0);
            writeFile(w.dir / "out.txt", kOld);
            StartedProgram kovra(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path(), {.environment = {threads}});
            const int fifo = openWhenRead(w.dir / "in.txt", kovra.pid());
            ASSERT_GE(fifo, 0) << "kovra ended before it opened its input";
            EXPECT_TRUE(writeAll(fifo, std::string_view(input).substr(0, half)));
            ::kill(kovra.pid(), signal);
            writeAll(fifo, std::string_view(input).substr(half));  // records after the signal: none may be converted
            ::close(fifo);
            const ProgramRun run = kovra.wait();
            EXPECT_EQ(run.status, 128 + signal);
            EXPECT_TRUE(readFile(w.dir / "out.txt") == kOld) << "an interrupted run changed the output";
            if (signal == SIGKILL) continue;  // its temporary file may stay behind
            EXPECT_TRUE(endsInterrupted(run.err)) << run.err;
            EXPECT_TRUE(w.strays().empty()) << w.strays().front();
        }
    }
    std::signal(SIGPIPE, previousPipeAction);
}

TEST(RunIntegrity, TwoRunsIntoOneOutputLeaveOneWholeResult)
{
    const std::string input = largeInput();
    const Reference a = referenceRun(input);
    const std::string shorter = input.substr(0, input.size() / 3 * 2);
    const Reference b = referenceRun(shorter.substr(0, shorter.rfind('\n') + 1));
    Workspace w(input);
    writeFile(w.dir / "b.txt", shorter.substr(0, shorter.rfind('\n') + 1));
    StartedProgram first(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path());
    StartedProgram second(KOVRA_BINARY, {"b.txt", "out.txt"}, w.dir.path());
    EXPECT_EQ(first.wait().status, 1);
    EXPECT_EQ(second.wait().status, 1);
    const std::string output = readFile(w.dir / "out.txt");
    EXPECT_TRUE(output == a.output || output == b.output);
}

TEST(RunIntegrity, ClosedStandardStreamsAndAPipeNobodyReads)
{
    const std::string input = largeInput();
    const Reference reference = referenceRun(input);

    // Started without standard output and error: the output file must not be
    // opened as descriptor 2 and receive the messages.
    Workspace closed(input);
    ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, closed.dir.path(), {}, [] {
        ::close(1);
        ::close(2);
    });
    EXPECT_EQ(run.status, reference.run.status);
    EXPECT_TRUE(readFile(closed.dir / "out.txt") == reference.output);

    // Messages into a pipe whose reader is gone: the run goes on to the end.
    Workspace piped(input);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    StartedProgram kovra(KOVRA_BINARY, {"in.txt", "out.txt"}, piped.dir.path(), {}, [&] {
        ::dup2(ends[1], 2);
        ::close(ends[0]);
        ::close(ends[1]);
    });
    ::close(ends[0]);
    ::close(ends[1]);
    run = kovra.wait();
    EXPECT_EQ(run.status, reference.run.status);
    EXPECT_TRUE(readFile(piped.dir / "out.txt") == reference.output);
}

TEST(RunIntegrity, NoThreadsOrOnlySomeAndTheBytesAreTheSame)
{
    if (geteuid() != 0) GTEST_SKIP() << "limiting another user's threads needs root to become that user";
    // RLIMIT_NPROC counts the processes and threads of the test's private
    // user: with 1, kovra can start no thread; with 3, two of the eight.
    const std::string input = largeInput();
    const Reference reference = referenceRun(input);
    for (const rlim_t processes : {1, 3}) {
        SCOPED_TRACE(processes);
        Workspace w(input);
        const ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path(),
                                          // LeakSanitizer needs a thread of its own at the end.
                                          {.addressSpace = 0, .fileSize = 0,
                                           .environment = {"KOVRA_THREADS=8", "ASAN_OPTIONS=detect_leaks=0"}},
                                          asPrivateUser(processes));
        EXPECT_EQ(run.status, reference.run.status);
        EXPECT_EQ(run.err, reference.run.err);
        EXPECT_TRUE(readFile(w.dir / "out.txt") == reference.output);
    }
}

TEST(RunIntegrity, OutputsKeepTheirLinksPermissionsAndOwners)
{
    const std::string input = readFile(RUK_EXAMPLES_DIR "/ed50_sample.txt");
    const Reference reference = referenceRun(input);

    // A new output gets the permissions of a new file; an existing one keeps its own.
    Workspace w(input);
    const mode_t mask = ::umask(022);
    runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path());
    EXPECT_EQ(fs::status(w.dir / "out.txt").permissions(), fs::perms(0644));
    fs::permissions(w.dir / "out.txt", fs::perms(0640));
    runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, w.dir.path());
    ::umask(mask);
    EXPECT_EQ(fs::status(w.dir / "out.txt").permissions(), fs::perms(0640));

    // A link stays a link; the file it names gets the output.
    Workspace linked(input);
    fs::create_directory(linked.dir / "real");
    writeFile(linked.dir / "real" / "target.txt", kOld);
    fs::create_symlink("real/target.txt", linked.dir / "out.txt");
    EXPECT_EQ(runProgram(KOVRA_BINARY, {"in.txt", "out.txt"}, linked.dir.path()).status, reference.run.status);
    EXPECT_TRUE(fs::is_symlink(linked.dir / "out.txt"));
    EXPECT_TRUE(readFile(linked.dir / "real" / "target.txt") == reference.output);
    EXPECT_EQ(linked.strays(), std::vector<std::string>{"real"});
    EXPECT_EQ(std::distance(fs::directory_iterator(linked.dir / "real"), fs::directory_iterator()), 1);

    if (geteuid() != 0) return;
    // As another user: a read-only output is refused and stays as it was; one
    // whose owner the run cannot keep is written in place, and keeps its owner.
    Workspace other(input);
    writeFile(other.dir / "readonly.txt", kOld);
    const uid_t user = privateUserId();
    ASSERT_EQ(::chown((other.dir / "readonly.txt").c_str(), user, user), 0);
    fs::permissions(other.dir / "readonly.txt", fs::perms(0444));
    ProgramRun run = runProgram(KOVRA_BINARY, {"in.txt", "readonly.txt"}, other.dir.path(), {}, asPrivateUser());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "kovra: Error openFiles: Permission denied: readonly.txt\n");
    EXPECT_EQ(readFile(other.dir / "readonly.txt"), kOld);

    writeFile(other.dir / "rootowned.txt", kOld);
    fs::permissions(other.dir / "rootowned.txt", fs::perms(0666));
    run = runProgram(KOVRA_BINARY, {"in.txt", "rootowned.txt"}, other.dir.path(), {}, asPrivateUser());
    EXPECT_EQ(run.status, reference.run.status);
    EXPECT_TRUE(readFile(other.dir / "rootowned.txt") == reference.output);
    struct stat info;
    ASSERT_EQ(::stat((other.dir / "rootowned.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
}
