#include "interrupt.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include "win32/text.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

namespace {

std::atomic<int> interruptedBy{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

// The first signal is the one the run ends with.
void note(int signal)
{
    int none = 0;
    interruptedBy.compare_exchange_strong(none, signal);
}

#ifdef _WIN32

// Windows runs this on a thread of its own. For the console closing, the
// process ends when the handler returns: it waits for the run to clean up.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: note(SIGINT); return TRUE;
    case CTRL_BREAK_EVENT: note(SIGBREAK); return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        note(SIGTERM);
        Sleep(INFINITE);
        return TRUE;
    default: return FALSE;
    }
}

#endif

}  // namespace

int interruptSignal() { return interruptedBy.load(std::memory_order_relaxed); }

#ifdef _WIN32

void installInterruptHandlers() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

void withoutInterrupts(const std::function<void()>& start) { start(); }

void waitUntilReadable(int) { throwIfInterrupted(); }

void pauseFor(std::chrono::milliseconds time)
{
    throwIfInterrupted();
    Sleep(static_cast<DWORD>(time.count()));
    throwIfInterrupted();
}

void openMissingStandardStreams() {}

#else

namespace {

// The signals that would end the program, but for those of its own faults.
sigset_t interruptions()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                       SIGPOLL, SIGPWR, SIGSTKFLT})
        sigaddset(&set, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&set, signal);
    return set;
}

}  // namespace

void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = note;
    action.sa_mask = interruptions();  // one handler at a time
    action.sa_flags = 0;               // no SA_RESTART: a read or an open that waits returns EINTR
    const sigset_t caught = interruptions();
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction before {};
        if (sigismember(&caught, signal) != 1 || sigaction(signal, nullptr, &before) != 0 ||
            before.sa_handler != SIG_DFL)
            continue;  // ignored from the start (nohup), or taken by a tool the program runs under
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// Waits for the descriptors (none: for the time) as ppoll does. The
// interruptions are held back from the check of the flag to the wait, which
// lets them in: one that comes in between cuts the wait short.
void waitInterruptibly(pollfd* descriptors, nfds_t count, const timespec* time)
{
    const sigset_t held = interruptions();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &held, &before);
    while (!interruptSignal() && ::ppoll(descriptors, count, time, &before) < 0 && errno == EINTR && !time) {
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    throwIfInterrupted();
}

}  // namespace

void waitUntilReadable(int fd)
{
    pollfd ready{fd, POLLIN, 0};
    waitInterruptibly(&ready, 1, nullptr);
}

void pauseFor(std::chrono::milliseconds time)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
    const timespec wait{seconds.count(), std::chrono::nanoseconds(time - seconds).count()};
    waitInterruptibly(nullptr, 0, &wait);
}

void withoutInterrupts(const std::function<void()>& start)
{
    const sigset_t held = interruptions();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &held, &before);
    try {
        start();
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        throw;
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

void openMissingStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0) continue;
        const int opened = ::open("/dev/null", O_RDWR);  // takes the lowest free number: fd
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

#endif

}  // namespace platform
