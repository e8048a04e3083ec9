#include "prismpicture.h"

#include "core/prism.h"

namespace setup {

QImage prismPicture()
{
    const core::Picture picture = core::prismPicture();
    const QImage view(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                      picture.width * 4, QImage::Format_RGB32);
    return view.convertToFormat(QImage::Format_RGB888);  // a copy that owns its pixels
}

}  // namespace setup
