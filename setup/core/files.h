#pragma once
// The text and file operations setup needs: the first line of a text file, and
// the scripting file-system object's CreateTextFile, WriteLine, Close and CopyFile.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace setup::core {

// The longest first line that readFirstLine reads, in bytes.
inline constexpr std::size_t kLongestFirstLine = 32 * 1024;

// The first line of a text file, read as single-byte (Latin-1) text up to the
// first carriage return or line feed, exactly as it stands: nothing trimmed.
struct FirstLine {
    enum class Status { Read, NotFound, Unreadable };
    Status status;
    std::string text;  // UTF-8
};

// path may be a Windows path (see nativePath). A missing file is NotFound.
// Only a regular file is read, and only as far as its first line, which may
// be at most kLongestFirstLine bytes long: anything else that is there (a
// folder, a FIFO, a device, a file that may not be read, a longer first line,
// a first line holding a NUL byte) is Unreadable, found out without waiting.
// An empty file reads as an empty line.
FirstLine readFirstLine(std::string_view path);

// A failed file-system operation. description says what failed, in Spanish as
// the forms speak, and names the file on this machine.
struct FsoError {
    std::string description;
};

class PendingFile;

// The text stream that CreateTextFile returns. Lines are single-byte (Latin-1)
// text ended by carriage return and line feed. They go into a new file beside
// the target, which replaces the target only when Close succeeds: until then,
// and for good when the stream is dropped without a successful Close, an
// existing file keeps its old content and the new file is removed.
class TextStream {
public:
    explicit TextStream(std::unique_ptr<PendingFile> file);
    TextStream(TextStream&&) noexcept;
    TextStream& operator=(TextStream&&) noexcept;
    ~TextStream();

    // Throws FsoError when text holds a character outside Latin-1, before
    // anything of it is written, or when the write fails.
    void WriteLine(std::string_view text);
    // Puts the written lines in place of the target. Throws FsoError when that fails.
    void Close();

private:
    std::unique_ptr<PendingFile> file_;
};

// The file-system object of the scripting runtime. Paths may be Windows paths
// (see nativePath); every failure throws FsoError.
class FileSystemObject {
public:
    // Creates path, or replaces an existing file when overwrite is true, once
    // the stream is closed.
    TextStream CreateTextFile(std::string_view path, bool overwrite);

    // Copies source, a regular file, to destination. A destination ending in a
    // backslash (or a slash) names a folder, which must exist, and the copy
    // keeps the source's file name. An existing file at the destination is
    // replaced when overwrite is true, only once the copy is whole: a failed
    // copy leaves it as it was, and a symbolic link there is replaced, never
    // written through.
    void CopyFile(std::string_view source, std::string_view destination, bool overwrite = true);
};

}  // namespace setup::core
