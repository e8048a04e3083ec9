#pragma once

#include <cstdint>
#include <vector>

namespace setup::core {

// A picture as rows of 32-bit pixels, top row first: the memory layout of a
// 32-bit Windows bitmap and of Qt's RGB32 and premultiplied ARGB32 images alike.
struct Picture {
    int width = 0;
    int height = 0;
    // 0x00RRGGBB; when transparent, 0xAARRGGBB with the colour premultiplied by the alpha.
    std::vector<std::uint32_t> pixels;
    bool transparent = false;
};

}  // namespace setup::core
