#pragma once

#include <QString>

namespace setup {

// The files of the system, by their Windows names (mapped by platform::nativePath).
// The path file: one line, the full path of the AutoCAD executable.
inline const QString kPathFile = QStringLiteral("c:\\ruk.txt");
// Its first line names the Windows version; another installer writes it.
inline const QString kVersionFile = QStringLiteral("c:\\windows.ruk");
// The port-I/O library that the wizard copies into the system folder.
inline const QString kLibrary = QStringLiteral("c:\\ruk\\inpout32.dll");

}  // namespace setup
