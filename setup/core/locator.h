#pragma once
// The locator dialog's logic: its drive, folder and file lists and the path it hands to the wizard.

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
// separator, which still names the file). When selected is not exactly
// "acad.exe" (also when nothing is selected) it warns "Ruta incorrecta" instead
// and gives nothing.
std::optional<std::string> acceptSelection(std::string_view folder, std::string_view selected, MessageBoxes& boxes);

// The drives of this machine, as root paths: on Windows "C:\" and the others
// the system reports; elsewhere the file-system root "/" first, then the root
// folders of the other mounted volumes that are ready, sorted.
std::vector<std::string> driveRoots();

// The entry of drives that holds path (the longest root that is a prefix of
// it, drive letters compared without regard to case), or the first entry when none does.
std::string driveOf(std::string_view path, const std::vector<std::string>& drives);

// One line of a folder list.
struct FolderEntry {
    std::string name;  // as shown, without indentation
    std::string path;  // the folder it opens
    int depth;         // indentation steps
    bool open;         // on the chain from the root down to the current folder
};

// A folder list: the folders from the root down to path, each one a step
// further in, then the subfolders of path, sorted without regard to case.
struct FolderView {
    std::string path;  // absolute, normalised
    std::vector<FolderEntry> entries;
};

// The list for path, or nothing when path is not a folder that can be read.
std::optional<FolderView> listFolder(std::string_view path);

// The names of the files in folder that match pattern ("*" and "?" wildcards,
// letters compared without regard to case as a Windows file list does),
// hidden ones included, sorted without regard to case. Empty for a folder
// that cannot be read.
std::vector<std::string> matchingFiles(std::string_view folder, std::string_view pattern);

// The warnings for a drive or folder that cannot be read.
std::string unreadableDrive(std::string_view drive);
std::string unreadableFolder(std::string_view folder);

}  // namespace setup::core
