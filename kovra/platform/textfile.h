// Sequential text files: an input read field by field and an output written
// line by line, each line ended by carriage return and line feed. Both move
// data in large blocks. An open that fails is a RunError whose description
// names the file; a failed read or write is reported with where it happened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// An I/O error while reading the input: not the end of the file.
class ReadFailure : public std::runtime_error {
public:
    ReadFailure(const std::string& reason, long line) : std::runtime_error(reason), line(line) {}
    long line;  // the input line that was being read
};

class InputFile {
public:
    // Opens an existing file for reading. A directory opens on Linux, but
    // fails its first read (on Windows it fails to open); openInputFile
    // refuses one at once.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool atEnd();
    // The next field: the text up to the next comma or line end (LF, CRLF or
    // CR), blanks at its start skipped, the comma or line end consumed. At most
    // maxLength characters are kept: a longer field is cut there and the read
    // stops inside it, so no field costs more memory than that.
    std::string readField(std::size_t maxLength);
    // The same field appended to text; gives its length.
    std::size_t readFieldInto(std::string& text, std::size_t maxLength);
    // The line on which the next field starts, counted from 1.
    long lineNumber() const { return line_; }
    // The size of a regular file; none for a device or a pipe.
    std::optional<uint64_t> regularFileSize() const { return size_; }
    // The bytes read so far, up to the start of the next field.
    uint64_t bytesConsumed() const { return consumed_ + pos_; }
    void close();

private:
    int peekByte();  // the next byte without consuming it, or -1 at the end
    bool fill();

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    long line_ = 1;
    uint64_t consumed_ = 0;  // bytes of the blocks before the one in the buffer
    std::optional<uint64_t> size_;
};

// Opens the input of a run; a missing file, a directory or one without read
// permission is a RunError naming the path.
std::unique_ptr<InputFile> openInputFile(const std::string& path);

// A write that failed: the system's reason, and the last input line whose
// output line is complete in the file (0 when none is).
class WriteFailure : public std::runtime_error {
public:
    WriteFailure(const std::string& reason, long completeThrough)
        : std::runtime_error(reason), completeThrough(completeThrough) {}
    long completeThrough;
};

class OutputFile {
public:
    // Creates the file, or empties an existing one.
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends text and CR LF; inputLine is the input line the text comes from.
    // Lines are held in a large buffer and written when it fills. Throws
    // WriteFailure when a write fails: the lines that were not written whole
    // are cut off the file again, and the file is closed.
    void writeLine(std::string_view text, long inputLine);
    // Writes what is held and closes the file; throws WriteFailure like writeLine.
    void close();

private:
    void flush();
    [[noreturn]] void fail(uint64_t fileBytes, int error);

    int fd_ = -1;
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
