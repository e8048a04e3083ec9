#include "core/wizard.h"

#include <optional>

#include "core/files.h"
#include "core/messages.h"
#include "core/nativepath.h"
#include "core/pendingfile.h"
#include "core/systemfiles.h"

namespace setup::core {

namespace {

// The system folder the library is copied into, by the recorded Windows
// version name (exact, case-sensitive).
struct LibraryFolder {
    std::string_view version;
    std::string_view folder;
};
constexpr LibraryFolder kLibraryFolders[] = {
    {"WINDOWS 2000/NT", "C:\\winnt\\system\\"},
    {"WINDOWS XP", "C:\\windows\\system\\"},
    {"WINDOWS 98", "C:\\windows\\system\\"},
};

void warnPathNotStored(MessageBoxes& boxes, const FsoError& error)
{
    warn(boxes, "No se ha podido guardar la ruta en " + std::string(kPathFile) + ": " + error.description);
}

// The new path, written beside the path file and not yet in its place.
std::optional<TextStream> writePath(std::string_view path, MessageBoxes& boxes)
{
    try {
        FileSystemObject fso;
        TextStream stream = fso.CreateTextFile(kPathFile, true);
        stream.WriteLine(path);
        return stream;
    } catch (const FsoError& error) {
        warnPathNotStored(boxes, error);
        return std::nullopt;
    }
}

bool copyLibrary(std::string_view windowsVersion, MessageBoxes& boxes)
{
    const std::string folder = libraryFolderFor(windowsVersion);
    if (folder.empty())
        return true;
    try {
        FileSystemObject fso;
        fso.CopyFile(kLibrary, folder);
        return true;
    } catch (const FsoError& error) {
        warn(boxes, "No se ha podido copiar " + std::string(kLibrary) + " en " + folder + ": " + error.description);
        return false;
    }
}

bool replacePathFile(TextStream& pathFile, MessageBoxes& boxes)
{
    try {
        pathFile.Close();
        return true;
    } catch (const FsoError& error) {
        warnPathNotStored(boxes, error);
        return false;
    }
}

}  // namespace

std::string recordedWindowsVersion()
{
    return readFirstLine(kVersionFile).text;
}

std::string libraryFolderFor(std::string_view windowsVersion)
{
    for (const LibraryFolder& known : kLibraryFolders)
        if (windowsVersion == known.version)
            return std::string(known.folder);
    return {};
}

void removeLeftoversOfEarlierRuns()
{
    const std::filesystem::path library = fsPath(nativePath(kLibrary)).filename();
    PendingFile::removeLeftovers(fsPath(nativePath(kPathFile)));
    for (const LibraryFolder& known : kLibraryFolders)
        PendingFile::removeLeftovers(fsPath(nativePath(known.folder)) / library);
}

bool storePathAndCopyLibrary(std::string_view path, std::string_view windowsVersion, MessageBoxes& boxes)
{
    if (path.empty()) {
        warn(boxes, "No hay una ruta definida");
        return false;
    }
    // A failed replacement leaves the library copied under the old path file;
    // that one names no program that starts, or the wizard would not be open,
    // so the next start opens the wizard again and the copy is made once more.
    std::optional<TextStream> pathFile = writePath(path, boxes);
    return pathFile && copyLibrary(windowsVersion, boxes) && replacePathFile(*pathFile, boxes);
}

}  // namespace setup::core
