#include "messageboxes.h"

#include <windows.h>

#include "core/text.h"

namespace setup::win32 {

namespace {

UINT iconStyle(core::Icon icon)
{
    switch (icon) {
    case core::Icon::Warning:
        return MB_ICONWARNING;
    case core::Icon::Information:
        return MB_ICONINFORMATION;
    case core::Icon::None:
        break;
    }
    return 0;
}

class SystemMessageBoxes final : public core::MessageBoxes {
public:
    void show(const std::string& text, core::Icon icon, const std::string& title) override
    {
        // In front even when it has no window of setup's to stand on (the
        // completion message comes after the wizard is hidden).
        MessageBoxW(GetActiveWindow(), core::widen(text).c_str(), core::widen(title).c_str(),
                    MB_OK | MB_SETFOREGROUND | iconStyle(icon));
    }
};

}  // namespace

core::MessageBoxes& systemMessageBoxes()
{
    static SystemMessageBoxes boxes;
    return boxes;
}

}  // namespace setup::win32
