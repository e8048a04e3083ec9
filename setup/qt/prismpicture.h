#pragma once

#include <QImage>

namespace setup {

// The splash picture (core::prismPicture) as a 24-bit image.
QImage prismPicture();

}  // namespace setup
