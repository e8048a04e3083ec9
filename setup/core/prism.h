#pragma once

#include <cstdint>
#include <vector>

namespace setup::core {

// A picture as rows of 0x00RRGGBB pixels, top row first: the memory layout of
// a 32-bit Windows bitmap and of Qt's RGB32 image alike.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The splash's picture, 416 by 365 pixels: a surveying prism in its round
// holder on a yellow target plate, against the sky, on its pole.
Picture prismPicture();

}  // namespace setup::core
