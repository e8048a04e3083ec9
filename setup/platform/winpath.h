#pragma once

#include <QString>

namespace setup::platform {

// Maps a Windows path "X:\rest" onto this machine: the folder named by the
// environment variable RUK_DRIVE_X (drive letter upper-cased), or ~/.ruk/X when
// that is unset or empty, followed by rest with every backslash turned into a
// slash. A trailing backslash stays as a trailing slash, so a folder stays a
// folder. Any other text is a native path and is returned unchanged.
QString nativePath(const QString& path);

}  // namespace setup::platform
