#include <windows.h>

#include "core/locator.h"
#include "core/text.h"

namespace setup::core {

std::vector<Drive> listDrives()
{
    std::vector<Drive> drives;
    wchar_t buffer[512];
    const DWORD length = GetLogicalDriveStringsW(sizeof buffer / sizeof buffer[0], buffer);
    if (length == 0 || length > sizeof buffer / sizeof buffer[0])
        return drives;
    // "A:\<NUL>C:\<NUL>...<NUL>"
    for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) {
        const std::string name = narrow(root);
        drives.push_back({name, name, name});
    }
    return drives;
}

}  // namespace setup::core
