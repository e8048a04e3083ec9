#include "core/layout.h"

#include <algorithm>

namespace setup::core::layout {

namespace {

// The narrowest width from box.width up to widest at which the wrapped text
// fits the box's height; widest when none does.
int narrowestFitting(const PixelBox& box, const TextSize& text, int widest)
{
    const auto fits = [&](int width) { return text.wrappedHeight(width) <= box.height; };
    if (!fits(widest))
        return widest;
    int tooNarrow = box.width, wide = widest;  // the text fits at wide, not at tooNarrow
    while (wide - tooNarrow > 1) {
        const int middle = tooNarrow + (wide - tooNarrow) / 2;
        (fits(middle) ? wide : tooNarrow) = middle;
    }
    return wide;
}

LabelBox wrapped(const PixelBox& box, const TextSize& text, int parentWidth, int parentHeight)
{
    PixelBox fitted = box;
    if (text.wrappedHeight(box.width) > box.height) {
        fitted.width = std::max(box.width, narrowestFitting(box, text, parentWidth - box.left));
        fitted.height = std::max(box.height, std::min(text.wrappedHeight(fitted.width), parentHeight - box.top));
    }
    return {fitted, true};
}

}  // namespace

LabelBox fitLabel(const PixelBox& box, const TextSize& text, int parentWidth, int parentHeight)
{
    if (box.height >= 2 * text.lineHeight)
        return wrapped(box, text, parentWidth, parentHeight);
    PixelBox line{box.left, box.top, std::max(box.width, text.width), std::max(box.height, text.lineHeight)};
    const int room = parentWidth - box.left;
    if (line.width <= room)
        return {line, false};
    // Too little room to the right: two lines or more, where they fit, else further left.
    if (text.wrappedHeight(room) <= parentHeight - box.top)
        return wrapped({box.left, box.top, room, std::max(box.height, text.wrappedHeight(room))}, text, parentWidth,
                       parentHeight);
    line.left = std::max(0, parentWidth - line.width);
    line.width = std::min(line.width, parentWidth - line.left);
    return {line, false};
}

}  // namespace setup::core::layout
