// Every run ends in a known state: interrupted at any moment, raced by another
// run, started without standard streams or threads, with its messages going
// into a pipe nobody reads, or writing through a link, the output's path holds
// its old bytes or the whole new output, never a piece of it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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
#include "test_grid.h"

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
        writeFile(dir / "mirtaxo.gsb", unmarkedDemoGrid());
        writeFile(dir / "in.txt", input);
        fs::permissions(dir.path(), fs::perms::all);  // for runs as another user
    }
    // The input a FIFO, for a run fed by the test (FedRun).
    void fifoInput() const
    {
        fs::remove(dir / "in.txt");
        if (::mkfifo((dir / "in.txt").c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
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
        "kovra: in\\.txt: ([0-9]+ of [0-9]+ points? converted, [0-9]+ not converted|no point record read), "
        "[0-9]+ warnings?; the run was "
        "interrupted after line [0-9]+ without finishing its output\n");
    const std::string said = "kovra: interrupted: out.txt was left as it was\n";
    const std::size_t last = err.rfind('\n', err.size() - 2) + 1;  // 0 for a single line
    return err.ends_with("\n") && err.substr(0, last).ends_with(said) &&
           std::regex_match(err.substr(last), summary);
}

// kovra started on the FIFO input of a workspace, the test holding the
// FIFO's other end: the run reads what the test writes, and cannot end before
// the test closes it. Its handlers are in place once it opens its input;
// first is written to it then, and fed says whether all of that was read.
struct FedRun {
    StartedProgram kovra;
    int fifo;
    bool fed;
    FedRun(const Workspace& w, const std::vector<std::string>& args, const ChildOptions& options,
           std::string_view first)
        : kovra(KOVRA_BINARY, args, w.dir.path(), options), fifo(openWhenRead(w.dir / "in.txt", kovra.pid())),
          fed(fifo >= 0 && writeAll(fifo, first))
    {
    }
    ~FedRun() { closeInput(); }
    FedRun(const FedRun&) = delete;
    FedRun& operator=(const FedRun&) = delete;
    void closeInput()
    {
        if (fifo >= 0) ::close(fifo);
        fifo = -1;
    }
    // The rest of the input written, the FIFO closed, and the run's end.
    ProgramRun finish(std::string_view rest = {})
    {
        writeAll(fifo, rest);
        closeInput();
        return kovra.wait();
    }
};

// The name of the first file created in the folder that watch (inotify,
// IN_CREATE) watches whose name starts with prefix; empty when the program
// ends first.
std::string createdFile(int watch, pid_t program, const std::string& prefix)
{
    const int ended = static_cast<int>(::syscall(SYS_pidfd_open, program, 0));
    std::string name;
    while (name.empty()) {
        pollfd waits[2] = {{watch, POLLIN, 0}, {ended, POLLIN, 0}};
        if (::poll(waits, ended >= 0 ? 2 : 1, -1) < 0 && errno == EINTR) continue;
        if (waits[1].revents) break;
        alignas(inotify_event) char events[4096];
        const ssize_t n = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if (event->len && std::string(event->name).starts_with(prefix)) name = event->name;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (ended >= 0) ::close(ended);
    return name;
}

// The ed50 sample, its first line and the rest.
const std::string kSampleInput = readFile(RUK_EXAMPLES_DIR "/ed50_sample.txt");

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
                const bool whileOpening = run.err == "kovra: interrupted: nothing was written\n";
                EXPECT_TRUE(beforeItsStart || whileOpening || endsInterrupted(run.err)) << run.err;
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
            w.fifoInput();
            writeFile(w.dir / "out.txt", kOld);
            FedRun fed(w, {"in.txt", "out.txt"}, {.environment = {threads}}, std::string_view(input).substr(0, half));
            ASSERT_TRUE(fed.fed) << "kovra ended before it read the first half";
            ::kill(fed.kovra.pid(), signal);
            // Records after the signal: none may be converted.
            const ProgramRun run = fed.finish(std::string_view(input).substr(half));
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

TEST(RunIntegrity, RepeatedSignalsNeverLeaveTheTemporaryFile)
{
    // Two signals back to back, as when the terminal closes (the shell and
    // the kernel each send SIGHUP): the second once killed the run with the
    // default action and left its temporary file. Each run is held mid-run by
    // its FIFO input, and must end by itself while the FIFO is still open:
    // the signal reaches the thread that waits for the input, not a worker.
    std::string input = readFile(RUK_GOLDEN_DIR "/etrs89_generated.txt");
    const std::string body = input.substr(input.find('\n') + 1);
    for (int i = 0; i < 3; ++i) input += body;
    const std::size_t half = input.find('\n', input.size() / 2) + 1;
    const auto previousPipeAction = std::signal(SIGPIPE, SIG_IGN);
    const std::pair<int, int> pairs[] = {{SIGINT, SIGINT}, {SIGHUP, SIGHUP}, {SIGTERM, SIGINT}, {SIGQUIT, SIGUSR1},
                                         {SIGALRM, SIGTERM}};
    for (int attempt = 0; attempt < 50; ++attempt) {
        const auto [first, second] = pairs[attempt % std::size(pairs)];
        const char* threads = attempt % 2 ? "KOVRA_THREADS=3" : "KOVRA_THREADS=1";
        SCOPED_TRACE(testing::Message() << "attempt " << attempt << ", signals " << first << " and " << second << ", "
                                        << threads);
        Workspace w(input);
        w.fifoInput();
        writeFile(w.dir / "out.txt", kOld);
        FedRun fed(w, {"in.txt", "out.txt"}, {.environment = {threads}}, std::string_view(input).substr(0, half));
        ASSERT_TRUE(fed.fed);
        ::kill(fed.kovra.pid(), first);
        ::kill(fed.kovra.pid(), second);
        const ProgramRun run = fed.kovra.wait();  // the input still open
        // Signals pending together are delivered lowest number first.
        EXPECT_TRUE(run.status == 128 + first || run.status == 128 + second) << run.status;
        EXPECT_TRUE(endsInterrupted(run.err)) << run.err;
        EXPECT_TRUE(readFile(w.dir / "out.txt") == kOld);
        EXPECT_TRUE(w.strays().empty()) << w.strays().front();
    }
    // Stopped while its open of a FIFO output waits for a reader.
    for (const int signal : {SIGINT, SIGHUP}) {
        Workspace w(input);
        w.fifoInput();
        ASSERT_EQ(::mkfifo((w.dir / "out.txt").c_str(), 0600), 0);
        FedRun fed(w, {"in.txt", "out.txt"}, {}, std::string_view(input).substr(0, input.find('\n') + 1));  // the header
        ASSERT_TRUE(fed.fed);
        ::kill(fed.kovra.pid(), signal);
        ::kill(fed.kovra.pid(), signal);
        const ProgramRun run = fed.kovra.wait();
        EXPECT_EQ(run.status, 128 + signal);
        EXPECT_EQ(run.err, "kovra: interrupted: nothing was written\n");
    }
    std::signal(SIGPIPE, previousPipeAction);
}

TEST(RunIntegrity, TemporaryFileIsPrivateFromTheMomentItIsMade)
{
    // The mode the temporary file is created with, seen by a watcher when it
    // appears (the run is held mid-run by its FIFO input): readable by its
    // owner alone, narrower when the old file is. It was created 0666 less
    // the umask, and narrowed only afterwards: another user could open a
    // private output's new content. The final bits come just before it
    // replaces the path.
    const mode_t mask = ::umask(022);
    const struct {
        std::optional<mode_t> existing;  // none: a new output
        mode_t final;
    } cases[] = {{std::nullopt, 0644}, {0600, 0600}, {0640, 0640}, {0604, 0604}, {0400, 0400}, {02770, 02770}};
    for (const auto& c : cases) {
        if (c.existing == 0400 && geteuid() != 0) continue;  // only root may write a read-only file
        SCOPED_TRACE(testing::Message() << std::oct << c.final);
        Workspace w(kSampleInput);
        w.fifoInput();
        if (c.existing) {
            writeFile(w.dir / "out.txt", kOld);
            ASSERT_EQ(::chmod((w.dir / "out.txt").c_str(), *c.existing), 0);
        }
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(::inotify_add_watch(watch, w.dir.path().c_str(), IN_CREATE), 0);
        const std::size_t firstLine = kSampleInput.find('\n') + 1;
        FedRun fed(w, {"in.txt", "out.txt"}, {}, std::string_view(kSampleInput).substr(0, firstLine));
        ASSERT_TRUE(fed.fed);
        const std::string temporary = createdFile(watch, fed.kovra.pid(), ".out.txt.kovra-");
        ::close(watch);
        ASSERT_FALSE(temporary.empty()) << "no temporary file was made";
        struct stat info;
        ASSERT_EQ(::stat((w.dir / temporary).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.final & 0600);
        const ProgramRun run = fed.finish(std::string_view(kSampleInput).substr(firstLine));
        EXPECT_EQ(run.status, 0);
        ASSERT_EQ(::stat((w.dir / "out.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.final);
        EXPECT_TRUE(w.strays().empty());
    }
    ::umask(mask);
}

TEST(RunIntegrity, DescriptorOutputsAreWrittenThroughNeverReplaced)
{
    // An output that names one of the run's own descriptors is written
    // through it, where it stands: it once followed /dev/stdout down to the
    // file the shell had opened and replaced that file (the earlier lines of
    // a log, a group's header and footer were lost), or failed for a pipe.
    const std::string output = referenceRun(kSampleInput).output;
    const struct {
        const char* what;
        const char* script;  // run by sh, kovra as $1
        int status;
        std::string err;
        std::string log;     // log.txt afterwards
    } cases[] = {
        {"appended", "echo earlier > log.txt; \"$1\" in.txt /dev/stdout >> log.txt", 0, "", "earlier\n" + output},
        {"in a group", "{ echo header; \"$1\" in.txt /dev/stdout; echo footer; } > log.txt", 0, "",
         "header\n" + output + "footer\n"},
        {"into a pipe", "\"$1\" in.txt /dev/stdout | cat > log.txt", 0, "", output},
        {"its number, into a pipe", "\"$1\" in.txt /proc/self/fd/1 | cat > log.txt", 0, "", output},
        {"through a link", "ln -s /dev/stdout out.txt; echo earlier > log.txt; \"$1\" in.txt out.txt >> log.txt", 0,
         "", "earlier\n" + output},
        {"another descriptor", "echo earlier > log.txt; \"$1\" in.txt /dev/fd/5 5>> log.txt", 0, "",
         "earlier\n" + output},
        {"standard error", "echo earlier > log.txt; \"$1\" in.txt /dev/stderr 2>> log.txt", 0, "",
         "earlier\n" + output},
        // Refused before anything is written.
        {"open for reading only", "echo earlier > log.txt; \"$1\" in.txt /dev/stdin < log.txt", 2,
         "kovra: Error openFiles: Path/File access error: /dev/stdin (Bad file descriptor)\n", "earlier\n"},
        {"not open", "echo earlier > log.txt; \"$1\" in.txt /dev/fd/7", 2,
         "kovra: Error openFiles: Path/File access error: /dev/fd/7 (Bad file descriptor)\n", "earlier\n"},
        {"the input", "echo earlier > log.txt; \"$1\" in.txt /dev/stdout >> in.txt", 2,
         "kovra: Error openFiles: Input and output are the same file: /dev/stdout\n", "earlier\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Workspace w(kSampleInput);
        // Nothing but the standard streams open in the shell, so that /dev/fd/7 is not.
        const ProgramRun run = runProgram("/bin/sh", {"-c", c.script, "sh", KOVRA_BINARY}, w.dir.path(), {},
                                          [] { ::close_range(3, ~0u, 0); });
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(readFile(w.dir / "log.txt"), c.log);
        EXPECT_EQ(readFile(w.dir / "in.txt"), kSampleInput);
        for (const std::string& name : w.strays()) EXPECT_EQ(name, "log.txt") << "a file was left behind";
    }
}

TEST(RunIntegrity, LongOutputNamesAreReplacedWholeOrLeftAsTheyWere)
{
    // 242 to 255 bytes: ".NAME.kovra-XXXXXX" is too long a name; the run
    // once wrote such an output in place, and an interruption left a piece of
    // the new output where the old one was. The temporary name is cut.
    const std::string input = largeInput();
    const std::size_t half = input.find('\n', input.size() / 2) + 1;
    const Reference reference = referenceRun(input);
    const auto previousPipeAction = std::signal(SIGPIPE, SIG_IGN);
    for (const std::size_t length : {250, 255}) {
        const std::string name = std::string(length - 4, 'n') + ".txt";
        Workspace w(input);
        w.fifoInput();
        writeFile(w.dir / name, kOld);
        {
            FedRun fed(w, {"in.txt", name}, {}, std::string_view(input).substr(0, half));
            ASSERT_TRUE(fed.fed);
            ::kill(fed.kovra.pid(), SIGTERM);
            const ProgramRun run = fed.finish(std::string_view(input).substr(half));
            EXPECT_EQ(run.status, 128 + SIGTERM);
            // The last message but the summary.
            const std::size_t summary = run.err.rfind("kovra: ");
            const std::size_t said = run.err.rfind("kovra: ", summary - 1);
            EXPECT_EQ(run.err.substr(said, summary - said), "kovra: interrupted: " + name + " was left as it was\n");
            EXPECT_TRUE(run.err.ends_with(" without finishing its output\n")) << run.err;
        }
        EXPECT_TRUE(readFile(w.dir / name) == kOld) << length << " bytes: an interrupted run changed the output";
        EXPECT_EQ(w.strays(), std::vector<std::string>{name});
        FedRun fed(w, {"in.txt", name}, {}, input);
        EXPECT_EQ(fed.finish().status, reference.run.status);
        EXPECT_TRUE(readFile(w.dir / name) == reference.output) << length << " bytes";
        EXPECT_EQ(w.strays(), std::vector<std::string>{name});
    }
    std::signal(SIGPIPE, previousPipeAction);
}
