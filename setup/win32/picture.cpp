#include "picture.h"

namespace setup::win32 {

Bitmap loadBitmap(int id)
{
    return Bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

Icon loadIcon(int id, int size)
{
    return Icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

void drawStretched(HDC dc, const RECT& box, HBITMAP bitmap)
{
    DIBSECTION picture;
    if (!bitmap || GetObjectW(bitmap, sizeof picture, &picture) != sizeof picture)
        return;
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    StretchDIBits(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, 0, 0, picture.dsBm.bmWidth,
                  picture.dsBm.bmHeight, picture.dsBm.bmBits, reinterpret_cast<const BITMAPINFO*>(&picture.dsBmih),
                  DIB_RGB_COLORS, SRCCOPY);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(dc, oldMode);
}

}  // namespace setup::win32
