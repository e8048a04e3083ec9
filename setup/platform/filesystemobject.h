#pragma once

#include <fstream>

#include <QString>

namespace setup::platform {

// A failed file-system operation. description says what failed and names the
// path on this machine.
struct FsoError {
    QString description;
};

// The text stream that CreateTextFile returns. Lines are single-byte (Latin-1)
// text ended by carriage return and line feed.
class TextStream {
public:
    TextStream(std::ofstream out, QString nativeFile);

    // Throws FsoError when text holds a character outside Latin-1 or the write fails.
    void WriteLine(const QString& text);
    // Throws FsoError when the buffered text cannot be written out.
    void Close();

private:
    std::ofstream out_;
    QString nativeFile_;
};

// The file-system object of the scripting runtime, over the standard library.
// Paths may be Windows paths (see nativePath); every failure throws FsoError.
class FileSystemObject {
public:
    // Creates path, or replaces an existing file when overwrite is true.
    TextStream CreateTextFile(const QString& path, bool overwrite);

    // Copies source to destination. A destination ending in a separator names a
    // folder, which must exist, and the copy keeps the source's file name. An
    // existing file at the destination is replaced when overwrite is true.
    void CopyFile(const QString& source, const QString& destination, bool overwrite = true);
};

}  // namespace setup::platform
