#pragma once

#include <memory>

#include "core/messages.h"

class QMessageBox;

namespace setup::platform {

// The real boxes: a QMessageBox, shown modal until the user presses OK.
class QtMessageBoxes final : public core::MessageBoxes {
public:
    void show(const std::string& text, core::Icon icon, const std::string& title) override;
};

// The box that QtMessageBoxes shows, with the OK button only. It is at least
// as wide as its title bar needs (the title in a bold face of the desktop's
// font, the window's icon and buttons beside it), so that the window manager
// does not cut the title of a box with a short text.
std::unique_ptr<QMessageBox> makeMessageBox(const std::string& text, core::Icon icon, const std::string& title);

}  // namespace setup::platform
