#pragma once
// setup's pictures, from its Qt resources (setup/assets).

#include <QIcon>
#include <QPixmap>

namespace setup {

// The splash's picture, 416 by 365 pixels: a surveying prism in its round
// holder on a yellow target plate, against the sky, on its pole.
QPixmap prismPicture();

// The icon of a folder list's line: a yellow folder, open (its front flap
// down) for a folder on the way from the drive's root to the current folder,
// closed for the others. The same on a selected line, not tinted with the
// selection's colour.
QIcon folderIcon(bool open);

// The program's icon, the prism's target plate, at the sizes of the hicolor theme.
QIcon programIcon();

}  // namespace setup
