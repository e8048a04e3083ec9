#include "prismpicture.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include "core/prism.h"

namespace setup {

namespace {

// The plate in the splash picture, black rim included, and its corner radius.
const QRectF kPlate(55, 17, 306, 276);
constexpr double kPlateRadius = 17;

}  // namespace

QImage prismPicture()
{
    const core::Picture picture = core::prismPicture();
    const QImage view(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                      picture.width * 4, QImage::Format_RGB32);
    return view.convertToFormat(QImage::Format_RGB888);  // a copy that owns its pixels
}

QImage prismIcon()
{
    const QImage picture = prismPicture();
    const int side = static_cast<int>(kPlate.width());
    QImage art(side, side, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);

    const QRectF target(QPointF(0, (side - kPlate.height()) / 2), kPlate.size());
    QBrush brush(picture);
    brush.setTransform(QTransform::fromTranslate(target.x() - kPlate.x(), target.y() - kPlate.y()));
    QPainterPath outline;
    outline.addRoundedRect(target, kPlateRadius, kPlateRadius);

    QPainter painter(&art);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brush);
    painter.drawPath(outline);
    painter.end();
    return art;
}

}  // namespace setup
