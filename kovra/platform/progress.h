// A progress line for long runs on a terminal: points done, the share of the
// input read and the rate, redrawn in place on standard error. It appears
// only when standard error is a terminal (never in a pipe, a file or CI) and
// the run has lasted a second; messages erase it before they are written, and
// it is erased at the end.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class ProgressLine {
public:
    // totalBytes is the input's size when it is known.
    ProgressLine(std::string inputName, std::optional<uint64_t> totalBytes);
    ~ProgressLine() { erase(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Cheap when nothing is to be drawn: callers may call it for every record.
    void update(long points, uint64_t bytesRead);
    void erase();

private:
    using Clock = std::chrono::steady_clock;

    bool enabled_;
    bool shown_ = false;
    std::string inputName_;
    std::optional<uint64_t> totalBytes_;
    Clock::time_point start_, nextDraw_;
    long sinceCheck_ = 0;
};

}  // namespace platform
