// Interruptions of a run: SIGINT, SIGTERM and SIGHUP on Linux, Ctrl+C,
// Ctrl+Break and the console window closing on Windows. The handler only
// notes the signal; the run looks for it between records and wherever it
// waits for a file, and ends through the usual paths, so that an unfinished
// output is removed and the user told; a second signal ends the program at
// once. SIGPIPE is ignored: a write to a pipe whose reader has gone fails like
// any other write.
#pragma once

#include <exception>

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

// Opens /dev/null on any of the standard descriptors 0, 1 and 2 that is
// closed, so that no file the run opens takes its number (and receives the
// messages meant for standard error). Nothing to do on Windows.
void openMissingStandardStreams();

}  // namespace platform
