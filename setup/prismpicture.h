#pragma once

#include <QImage>

namespace setup {

// The splash picture: a surveying prism in its holder on a yellow target plate,
// mounted on a pole. 416 x 365 pixels, 24 bits per pixel, drawn here so that no
// outside artwork is needed.
QImage prismPicture();

}  // namespace setup
