#pragma once
// The pictures of setup.exe's resources (resources.h), loaded and drawn.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace setup::win32 {

struct DeleteBitmap {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
struct DestroyIcon {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteBitmap>;
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIcon>;

// The bitmap resource id as a device-independent bitmap; null when it is missing.
Bitmap loadBitmap(int id);

// The icon resource id at size by size pixels: the icon file's image of that
// size, or the nearest scaled to it; null when it is missing.
Icon loadIcon(int id, int size);

// Draws bitmap stretched into box, smoothed (halftone) where it is shrunk.
void drawStretched(HDC dc, const RECT& box, HBITMAP bitmap);

}  // namespace setup::win32
