#pragma once

#include "core/messages.h"

namespace setup::win32 {

// The system's message box, modal to the setup window that is active (or to
// none), with the OK button only.
class SystemMessageBoxes final : public core::MessageBoxes {
public:
    void show(const std::string& text, core::Icon icon, const std::string& title) override;
};

}  // namespace setup::win32
