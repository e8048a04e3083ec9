#pragma once

#include "core/picture.h"

namespace setup::core {

// The splash's picture, 416 by 365 pixels: a surveying prism in its round
// holder on a yellow target plate, against the sky, on its pole.
Picture prismPicture();

}  // namespace setup::core
