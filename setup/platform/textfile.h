#pragma once

#include <QString>

namespace setup::platform {

// The first line of a text file, read as single-byte (Latin-1) text up to the
// first carriage return or line feed, exactly as it stands: nothing trimmed.
struct FirstLine {
    enum class Status { Read, NotFound, Unreadable };
    Status status;
    QString text;
};

// path may be a Windows path (see nativePath). A missing file is NotFound; a
// file that exists but cannot be opened or read (a folder, no permission) is
// Unreadable. An empty file reads as an empty line.
FirstLine readFirstLine(const QString& path);

}  // namespace setup::platform
