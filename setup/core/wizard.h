#pragma once

#include <string>
#include <string_view>

namespace setup::core {

class MessageBoxes;

// The Windows version name the wizard shows: the first line of the version
// file, or an empty text when that is missing or unreadable (then nothing is copied).
std::string recordedWindowsVersion();

// The library folder for a recorded Windows version name (exact, case-sensitive),
// or an empty text when nothing is to be copied.
std::string libraryFolderFor(std::string_view windowsVersion);

// Removes what an earlier run that was ended half-way through "Continuar >>"
// left beside the path file and the installed libraries: the new files that
// were to replace them (see PendingFile). Called once at start.
void removeLeftoversOfEarlierRuns();

// "Continuar >>": stores path in the path file and copies the port-I/O library
// into the system folder of windowsVersion. Every problem is reported through
// boxes as a warning, and then the answer is false and the wizard stays open:
// an empty path, a path that cannot be stored, a library that cannot be copied.
// true means the configuration is complete; the caller closes the wizard and
// then announces it (announceCompleted).
//
// The path file is what makes the next start launch AutoCAD, so it never names
// a program whose library was not copied. The new path goes into a new file
// beside the path file (a path that cannot be stored is refused there, before
// anything has changed), then the library is copied, and only then does the
// new file replace the path file. A failed copy drops the new file and leaves
// the path file as it was.
bool storePathAndCopyLibrary(std::string_view path, std::string_view windowsVersion, MessageBoxes& boxes);

}  // namespace setup::core
