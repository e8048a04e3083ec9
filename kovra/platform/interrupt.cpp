#include "interrupt.h"

#include <atomic>
#include <csignal>

#ifdef _WIN32
#include "win32/text.h"
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

std::atomic<int> interruptedBy{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void note(int signal)
{
    int none = 0;
    if (interruptedBy.compare_exchange_strong(none, signal)) return;
#ifndef _WIN32
    std::signal(signal, SIG_DFL);  // asked twice: the run did not stop in time
    std::raise(signal);
#endif
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

void openMissingStandardStreams() {}

#else

void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a read or an open that waits returns EINTR
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
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
