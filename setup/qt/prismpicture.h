#pragma once

#include <QImage>

namespace setup {

// The splash picture (core::prismPicture) as a 24-bit image.
QImage prismPicture();

// The application's icon drawn from it: the target plate cut out of the
// picture, with rounded corners, centred on a transparent square.
QImage prismIcon();

}  // namespace setup
