// Interruptions of a run: on Linux every signal that would end the program
// and can be caught (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGALRM, SIGUSR1, ...)
// but those of a fault in the program itself (SIGSEGV, SIGABRT, ...); Ctrl+C,
// Ctrl+Break and the console window closing on Windows. A signal ignored when
// the program starts (nohup) stays ignored. The handler only notes the first
// signal, and a further one changes nothing: the run looks for it between
// records and wherever it waits for a file, and always ends through the usual
// paths, so that an unfinished output is removed and the user told, however
// many signals come. Only the thread that reads and writes receives them, so
// that a wait for a file is cut short. SIGPIPE and SIGXFSZ are ignored: a
// write to a pipe whose reader has gone, or past the file size limit, fails
// like any other write.
#pragma once

#include <chrono>
#include <exception>
#include <functional>

namespace platform {

// Installs the handlers, once, at the start of the program.
void installInterruptHandlers();

// The number of the signal that interrupted the run, 0 while none has.
int interruptSignal();

// Thrown where the run notices an interruption.
class Interrupted : public std::exception {
public:
    explicit Interrupted(int signal) : signal_(signal) {}
    int signal() const { return signal_; }
    const char* what() const noexcept override { return "interrupted"; }

private:
    int signal_;
};

inline void throwIfInterrupted()
{
    if (const int signal = interruptSignal()) throw Interrupted(signal);
}

// Waits until the descriptor fd has bytes to read, or their end; throws Interrupted once the run is interrupted, by a signal that
// came during the wait or at any moment before it (a read that follows a
// check of the flag would wait for good for a signal that came between the
// two). Nothing to wait for on Windows.
void waitUntilReadable(int fd);

// Waits for the time given, the same way: an interruption throws, one that
// came before the wait included.
void pauseFor(std::chrono::milliseconds time);

// Runs start (which starts threads) with the interruptions held back in this
// thread, so that the threads it starts never receive them; nothing to hold
// back on Windows.
void withoutInterrupts(const std::function<void()>& start);

// Opens /dev/null on any of the standard descriptors 0, 1 and 2 that is
// closed, so that no file the run opens takes its number (and receives the
// messages meant for standard error). Nothing to do on Windows.
void openMissingStandardStreams();

}  // namespace platform
