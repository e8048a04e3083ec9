#pragma once
// The locator dialog's logic: its drive, folder and file lists and the path it hands to the wizard.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setup::core {

class MessageBoxes;

// The one file the locator accepts, by exact, case-sensitive name.
inline constexpr std::string_view kExecutable = "acad.exe";

// "&Aceptar": the path for the wizard's Text1, which is folder + separator +
// "acad.exe", joined as they stand (at a drive root this doubles the
// separator, which still names the file). The separator is a backslash after
// a Windows path, else this system's. When selected is not exactly "acad.exe"
// (also when nothing is selected) it warns "Ruta incorrecta" instead and
// gives nothing.
std::optional<std::string> acceptSelection(std::string_view folder, std::string_view selected, MessageBoxes& boxes);

// A drive of the drive list.
struct Drive {
    std::string name;      // as the drive list shows it
    std::string root;      // the folder it opens
    std::string rootName;  // how the folder list names that folder
    bool operator==(const Drive&) const = default;
};

// The drives of this machine. On Windows "C:\" and the others the system
// reports, each named by its root. Elsewhere first the drives that Windows
// paths are mapped onto (see nativePath), each named by its letter and its
// folder ("C: (~/.ruk/C)") and shown as "C:\" in the folder list: C:, and
// every other letter whose RUK_DRIVE_X is set. Then the file-system root "/"
// and the root folders of the other mounted volumes that are ready, sorted,
// each named by its root.
std::vector<Drive> listDrives();

// How the locator names folder, a folder of this machine, in the path it
// hands to the wizard: on a drive that Windows paths are mapped onto (see
// nativePath), the Windows path that names it there ("C:\\AutoCAD 2004", at
// the drive's root "C:\\"), which is what the path file stores; any other
// folder as it stands.
std::string windowsFormOf(std::string_view folder, const std::vector<Drive>& drives);

// The index of the drive that holds path (the one with the longest root that
// is path or one of its folders; drive letters compared without regard to
// case), or 0 when none does.
std::size_t driveOf(std::string_view path, const std::vector<Drive>& drives);

// One line of a folder list.
struct FolderEntry {
    std::string name;  // as shown, without indentation
    std::string path;  // the folder it opens
    int depth;         // indentation steps
    bool open;         // on the chain from the root down to the current folder
};

// A folder list: the folders from the drive's root down to path, each one a
// step further in, then the subfolders of path (but those whose names start
// with a dot), sorted without regard to case.
struct FolderView {
    std::string path;  // absolute, normalised
    std::vector<FolderEntry> entries;
};

// The list for path on the drive that holds it (see driveOf), or nothing when
// path is not a folder that can be read. When no drive holds path, the list
// starts at the root of the file system.
std::optional<FolderView> listFolder(std::string_view path, const std::vector<Drive>& drives = {});

// The names of the files in folder that match pattern ("*" and "?" wildcards,
// letters compared without regard to case as a Windows file list does),
// hidden ones included, sorted without regard to case. Empty for a folder
// that cannot be read.
std::vector<std::string> matchingFiles(std::string_view folder, std::string_view pattern);

// The warnings for a drive or folder that cannot be read.
std::string unreadableDrive(std::string_view drive);
std::string unreadableFolder(std::string_view folder);

}  // namespace setup::core
