#include "picture.h"

#include <cstring>

namespace setup::win32 {

namespace {

// A 32-bit bitmap of the picture's rows; a negative height says that the top
// row comes first.
BITMAPINFO bitmapOf(const core::Picture& picture)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Laid over what is there by its alpha, which AlphaBlend takes premultiplied.
void blendPicture(HDC dc, const RECT& box, const core::Picture& picture)
{
    const BITMAPINFO info = bitmapOf(picture);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return;
    std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof picture.pixels[0]);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, source, 0, 0, picture.width,
               picture.height, blend);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(bitmap);
}

}  // namespace

void drawPicture(HDC dc, const RECT& box, const core::Picture& picture)
{
    if (picture.transparent) {
        blendPicture(dc, box, picture);
        return;
    }
    const BITMAPINFO info = bitmapOf(picture);
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    StretchDIBits(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0, 0, picture.width,
                  picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
}

}  // namespace setup::win32
