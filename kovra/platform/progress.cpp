#include "progress.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include "win32/text.h"
#else
#include <unistd.h>
#endif

namespace platform {

namespace {

constexpr auto kFirstDraw = std::chrono::seconds(1);
constexpr auto kRedraw = std::chrono::milliseconds(200);
constexpr long kRecordsPerCheck = 4096;  // the clock is read once per this many

#ifdef _WIN32
// A console that understands the escape sequence which erases the line
// (Windows 10 and later, once asked to).
bool stderrIsTerminal()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode;
    return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) &&
           SetConsoleMode(handle, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
#else
bool stderrIsTerminal() { return ::isatty(STDERR_FILENO); }
#endif

bool onTerminal()
{
    const char* term = std::getenv("TERM");
    return stderrIsTerminal() && !std::getenv("CI") && !(term && std::string(term) == "dumb");
}

}  // namespace

ProgressLine::ProgressLine(std::string inputName, std::optional<uint64_t> totalBytes)
    : enabled_(onTerminal()), inputName_(std::move(inputName)), totalBytes_(totalBytes),
      start_(Clock::now()), nextDraw_(start_ + kFirstDraw)
{
}

void ProgressLine::update(long points, uint64_t bytesRead)
{
    if (!enabled_ || ++sinceCheck_ < kRecordsPerCheck) return;
    sinceCheck_ = 0;
    const Clock::time_point now = Clock::now();
    if (now < nextDraw_) return;
    nextDraw_ = now + kRedraw;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char share[32] = "";
    if (totalBytes_ && *totalBytes_ > 0)
        std::snprintf(share, sizeof share, ", %.0f%% of ", 100.0 * static_cast<double>(bytesRead) / *totalBytes_);
    std::fprintf(stderr, "\r\033[Kkovra: %ld points%s%s, %.0f points/s", points, share,
                 share[0] ? inputName_.c_str() : "", points / seconds);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::erase()
{
    if (!shown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace platform
