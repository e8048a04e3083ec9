// The input point file, read field by field in large blocks. An open that
// fails is a RunError whose description names the file; a failed read is
// reported with where it happened.
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
    // Reads the file open on fd, and closes it at the end.
    explicit InputFile(int fd);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool atEnd();
    // Skips the lines ahead that hold nothing, or only blanks, when the next
    // field starts a line (not when it follows a comma): such a line holds no
    // field. The line numbers count them all the same.
    void skipEmptyLines();
    // The next field: the text up to the next comma or line end (LF, CRLF or
    // CR), blanks at its start skipped, the comma or line end consumed. At most
    // maxLength characters are kept: a longer field is cut there and the read
    // stops inside it, so no field costs more memory than that.
    std::string readField(std::size_t maxLength);
    // The same field appended to text; gives its length.
    std::size_t readFieldInto(std::string& text, std::size_t maxLength);
    // The line on which the next field starts, counted from 1.
    long lineNumber() const { return line_; }
    // The column (in bytes, from 1) of the comma that ended the last field
    // read; 0 when a line end or the end of the file ended it.
    long endingComma() const { return endingComma_; }
    // The size of a regular file; none for a device or a pipe.
    std::optional<uint64_t> regularFileSize() const { return size_; }
    // The bytes read so far, up to the start of the next field.
    uint64_t bytesConsumed() const { return consumed_ + pos_; }
    void close();

private:
    int peekByte();  // the next byte without consuming it, or -1 at the end
    bool fill();
    // Past a line end whose first character, LF or CR, was just consumed.
    void passLineEnd(char first);

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;
    bool eof_ = false;
    long line_ = 1;
    uint64_t lineStart_ = 0;  // where the line line_ starts in the file
    long endingComma_ = 0;
    uint64_t consumed_ = 0;  // bytes of the blocks before the one in the buffer
    std::optional<uint64_t> size_;
};

// Opens the input of a run: a regular file, or a FIFO (a pipe from another
// program), which is read as a stream. A missing file, a directory, a device
// or one without read permission is a RunError naming the path.
std::unique_ptr<InputFile> openInputFile(const std::string& path);

}  // namespace platform
