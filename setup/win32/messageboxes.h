#pragma once

#include "core/messages.h"

namespace setup::win32 {

// The system's message boxes: modal to the setup window that is active (or to
// none), with the OK button only.
core::MessageBoxes& systemMessageBoxes();

}  // namespace setup::win32
