// render_icons OUTDIR: draws the icon of setup from its own splash picture, the
// surveying prism on its yellow target plate, and writes it for the hicolor
// icon theme as OUTDIR/<N>x<N>/apps/ruk3-setup.png, N = 16, 32, 48, 64, 128, 256.
#include <QBrush>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cstdio>

#include "prismpicture.h"

namespace {

// The plate in the splash picture, black rim included, and its corner radius.
const QRectF kPlate(55, 17, 306, 276);
constexpr double kPlateRadius = 17;

// The plate cut out of the picture, centred on a transparent square.
QImage artwork()
{
    const QImage picture = setup::prismPicture();
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

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: render_icons OUTDIR\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QImage art = artwork();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = dir + QStringLiteral("/ruk3-setup.png");
        const QImage icon = art.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(dir) || !icon.save(file)) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
