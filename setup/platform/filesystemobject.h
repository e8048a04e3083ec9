#pragma once

#include <memory>

#include <QString>

class QSaveFile;

namespace setup::platform {

// A failed file-system operation. description says what failed and names the
// path on this machine.
struct FsoError {
    QString description;
};

// The text stream that CreateTextFile returns. Lines are single-byte (Latin-1)
// text ended by carriage return and line feed. They go into a new file beside
// the target, which replaces the target only when Close succeeds: until then,
// and for good when the stream is dropped without a successful Close, an
// existing file keeps its old content and the new file is removed.
class TextStream {
public:
    TextStream(std::unique_ptr<QSaveFile> out, QString nativeFile);
    TextStream(TextStream&&) noexcept;
    TextStream& operator=(TextStream&&) noexcept;
    ~TextStream();

    // Throws FsoError when text holds a character outside Latin-1, before
    // anything of it is written, or when the write fails.
    void WriteLine(const QString& text);
    // Puts the written lines in place of the target. Throws FsoError when that fails.
    void Close();

private:
    std::unique_ptr<QSaveFile> out_;
    QString nativeFile_;
};

// The file-system object of the scripting runtime, over Qt and the standard
// library. Paths may be Windows paths (see nativePath); every failure throws FsoError.
class FileSystemObject {
public:
    // Creates path, or replaces an existing file when overwrite is true, once
    // the stream is closed.
    TextStream CreateTextFile(const QString& path, bool overwrite);

    // Copies source to destination. A destination ending in a separator names a
    // folder, which must exist, and the copy keeps the source's file name. An
    // existing file at the destination is replaced when overwrite is true.
    void CopyFile(const QString& source, const QString& destination, bool overwrite = true);
};

}  // namespace setup::platform
