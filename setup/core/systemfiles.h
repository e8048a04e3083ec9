#pragma once
// The files of the system, by their Windows names. On Windows they are used as
// they stand; elsewhere nativePath maps them onto a folder per drive.

#include <string_view>

namespace setup::core {

// The path file: one line, the full path of the AutoCAD executable.
inline constexpr std::string_view kPathFile = "c:\\ruk.txt";
// Its first line names the Windows version; another installer writes it.
inline constexpr std::string_view kVersionFile = "c:\\windows.ruk";
// The port-I/O library that the wizard copies into the system folder.
inline constexpr std::string_view kLibrary = "c:\\ruk\\inpout32.dll";

}  // namespace setup::core
