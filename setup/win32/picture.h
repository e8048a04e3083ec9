#pragma once

#include <windows.h>

#include "core/prism.h"

namespace setup::win32 {

// Draws picture stretched into box, smoothed (halftone) where it is shrunk;
// a transparent picture is laid over what is there.
void drawPicture(HDC dc, const RECT& box, const core::Picture& picture);

}  // namespace setup::win32
