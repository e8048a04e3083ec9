// The output point file, written line by line, each line ended by carriage
// return and line feed, in large blocks.
//
// A regular file, new or existing, is written to a temporary file beside it,
// ".NAME.kovra-XXXXXX", which replaces it in one step when the run publishes
// it: until then, and for good when the run cannot finish, the path holds
// what it held before (nothing, if it was absent), and two runs into one path
// leave one run's whole output. An existing file's permission bits, owner and
// group carry over; a symbolic link stays a link, and the file it names is
// replaced. Anything else (a device, a pipe) is written directly, and so is a
// file whose folder may not be written or whose owner cannot be kept.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A write that failed: the system's reason, and the last input line whose
// output line is complete in a directly written file (0 when none is).
class WriteFailure : public std::runtime_error {
public:
    WriteFailure(const std::string& reason, long completeThrough)
        : std::runtime_error(reason), completeThrough(completeThrough) {}
    long completeThrough;
};

class OutputFile {
public:
    // Opens the output; a failure is a RunError naming the path.
    explicit OutputFile(const std::string& path);
    // An output that was not published is abandoned.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Whether the path is left as it was until the output is published.
    bool replacesWhole() const { return replacesWhole_; }

    // Appends text and CR LF; inputLine is the input line the text comes from.
    // Lines are held in a large buffer and written when it fills. Throws
    // WriteFailure when a write fails; the output is abandoned then.
    void writeLine(std::string_view text, long inputLine);
    // Writes what is held and closes the file; a temporary file then replaces
    // the path. Throws WriteFailure like writeLine.
    void publish();
    // Ends an output that will not be published: a temporary file is removed,
    // so that the path holds what it held; a direct output keeps the whole
    // lines held so far, written when it can be.
    void abandon();
    // The last input line whose output line is written, and whole.
    long completeThrough() const { return completeThrough_; }

private:
    void openDirectly(const std::string& path);
    bool openTemporary(const std::string& path, const std::string& target, bool existing);
    void flush();
    [[noreturn]] void fail(uint64_t fileBytes, int error);

    int fd_ = -1;
    std::string target_;     // the file a temporary one replaces
    std::string temporary_;  // empty for a direct output, and once published or abandoned
    bool replacesWhole_ = false;
    std::string buffer_;
    // Where each held line ends in the file, and the input line it comes from.
    struct LineEnd {
        uint64_t offset;
        long inputLine;
    };
    std::vector<LineEnd> heldLines_;
    uint64_t written_ = 0;  // bytes in the file
    long completeThrough_ = 0;
};

}  // namespace platform
