// The output point file, written line by line, each line ended by carriage
// return and line feed, in large blocks.
//
// A regular file, new or existing, is written to a temporary file beside it,
// ".NAME.kovra-XXXXXX", which replaces it in one step when the run publishes
// it, once it is on the disk: until then, and for good when the run cannot
// finish, the path holds what it held before (nothing, if it was absent), and
// two runs into one path leave one run's whole output. The temporary file is
// readable by its owner alone until then; an existing file's permission bits,
// owner and group carry over; a symbolic link stays a link, and the file it
// names is replaced. A path that names one of the process's own descriptors
// (/dev/stdout, /dev/fd/N) is written through that descriptor, where it
// stands and as it appends, never emptied. Anything else (a device, a pipe,
// NUL on Windows) is written directly, and so is a file whose folder may not
// be written or whose owner cannot be kept. A temporary file that cannot be
// made for another reason (no space, no inode) ends the run before it begins:
// the path is never written in place for it.
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
    // Opens the output; a failure is a RunError naming the path, or a
    // WriteFailure (nothing written) when the path cannot be replaced: the
    // temporary file cannot be made, or another program holds the file.
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
    void openDescriptor(const std::string& path, int descriptor);
    bool openTemporary(const std::string& path, const std::string& target, bool existing);
    void flush();
    [[noreturn]] void fail(uint64_t fileBytes, int error);
    [[noreturn]] void failToPublish(int error);

    int fd_ = -1;
    std::string target_;     // the file a temporary one replaces
    std::string temporary_;  // empty for a direct output, and once published or abandoned
    unsigned finalBits_ = 0; // the permission bits the temporary file gets when it is published
    bool replacesWhole_ = false;
    bool cutsBack_ = false;  // a direct output this run emptied: a failed write cuts its partial line off
    std::string buffer_;
    // Where each held line of a direct output ends in the file, and the input
    // line it comes from; a temporary file, which goes whole, needs none (and
    // no memory for them that could run out).
    struct LineEnd {
        uint64_t offset;
        long inputLine;
    };
    std::vector<LineEnd> heldLines_;
    uint64_t written_ = 0;  // bytes in the file
    long lastHeldLine_ = 0;
    long completeThrough_ = 0;
};

}  // namespace platform
