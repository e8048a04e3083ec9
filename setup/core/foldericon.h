#pragma once

#include "core/picture.h"

namespace setup::core {

// The icon of a folder list's line, size by size pixels, transparent around
// the folder: a yellow folder, open (its front flap down) for a folder on the
// way from the drive's root to the current folder, closed for the others.
Picture folderIcon(bool open, int size);

}  // namespace setup::core
