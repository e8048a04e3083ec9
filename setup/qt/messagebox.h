#pragma once

#include "core/messages.h"

namespace setup::platform {

// The real boxes: a QMessageBox, shown modal until the user presses OK.
class QtMessageBoxes final : public core::MessageBoxes {
public:
    void show(const std::string& text, core::Icon icon, const std::string& title) override;
};

}  // namespace setup::platform
