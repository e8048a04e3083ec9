#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace setup::core {

// The separator between a folder and a name in the paths setup shows and stores.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Whether path is a Windows path of a drive: a letter, ":" and a backslash ("C:\\rest").
bool isWindowsPath(std::string_view path);

// The file a path names on this machine. On Windows that is the path itself.
// Elsewhere a Windows path "X:\rest" is mapped onto the folder of its drive
// (see driveFolder) followed by rest with every backslash turned into a
// slash; a trailing backslash stays a trailing slash, so a folder stays a
// folder. Any other text is a native path and is returned unchanged.
std::string nativePath(std::string_view path);

#ifndef _WIN32
// The folder that drive letter (either case) is mapped onto: the one the
// environment variable RUK_DRIVE_X names (drive letter upper-cased); when that
// is unset or empty, for drive C: the drive C: of the Wine prefix when there is
// one (see wineDriveC), so that setup and the add-on under Wine share their
// files; else ~/.ruk/X.
std::string driveFolder(char letter);

// The drive_c folder of the Wine prefix that wine uses ($WINEPREFIX, or
// ~/.wine when that is unset or empty), or empty when it has none.
std::string wineDriveC();
#endif

// The path of a UTF-8 file name, for the standard library's file functions.
std::filesystem::path fsPath(std::string_view utf8);
// A folder's UTF-8 path made absolute and normal, without a separator at its
// end (but at the root); empty when it cannot be made absolute.
std::filesystem::path normalFolder(std::string_view utf8);
// The UTF-8 text of a path.
std::string utf8Of(const std::filesystem::path& path);

}  // namespace setup::core
