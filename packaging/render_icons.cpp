// render_icons OUTDIR [ICO]: draws the icon of setup from its own splash
// picture, the surveying prism on its yellow target plate, and writes it for
// the hicolor icon theme as OUTDIR/<N>x<N>/apps/ruk3-setup.png, N = 16, 32,
// 48, 64, 128, 256; and, when ICO is given, as the Windows icon file ICO.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QImage>
#include <cstdio>

#include "prismpicture.h"

namespace {

QImage scaled(const QImage& art, int size)
{
    return art.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// One image of an icon file as a 32-bit bitmap: BGRA rows bottom-up under a
// header of twice the height, then the 1-bit transparency mask (all shown,
// the alpha channel decides).
QByteArray bitmapEntry(const QImage& icon)
{
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    const int size = argb.width();
    QByteArray bytes(40, '\0');
    auto* header = reinterpret_cast<uchar*>(bytes.data());
    qToLittleEndian<quint32>(40, header);
    qToLittleEndian<qint32>(size, header + 4);
    qToLittleEndian<qint32>(2 * size, header + 8);
    qToLittleEndian<quint16>(1, header + 12);
    qToLittleEndian<quint16>(32, header + 14);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            uchar pixel[4];
            qToLittleEndian<quint32>(argb.pixel(x, y), pixel);  // B, G, R, A
            bytes.append(reinterpret_cast<const char*>(pixel), 4);
        }
    const int maskRow = ((size + 31) / 32) * 4;
    bytes.append(QByteArray(maskRow * size, '\0'));
    return bytes;
}

QByteArray pngEntry(const QImage& icon)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    return bytes;
}

// A Windows icon file: 16, 24, 32 and 48 pixels as bitmaps, 256 as PNG.
bool writeIco(const QImage& art, const QString& file)
{
    QList<QPair<int, QByteArray>> entries;
    for (const int size : {16, 24, 32, 48})
        entries.append({size, bitmapEntry(scaled(art, size))});
    entries.append({256, pngEntry(scaled(art, 256))});

    QByteArray ico(6 + 16 * entries.size(), '\0');
    auto* head = reinterpret_cast<uchar*>(ico.data());
    qToLittleEndian<quint16>(1, head + 2);  // an icon
    qToLittleEndian<quint16>(quint16(entries.size()), head + 4);
    quint32 offset = quint32(ico.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        uchar* entry = head + 6 + 16 * i;
        entry[0] = entry[1] = uchar(entries[i].first & 0xFF);  // 256 is written as 0
        qToLittleEndian<quint16>(1, entry + 4);
        qToLittleEndian<quint16>(32, entry + 6);
        qToLittleEndian<quint32>(quint32(entries[i].second.size()), entry + 8);
        qToLittleEndian<quint32>(offset, entry + 12);
        offset += quint32(entries[i].second.size());
    }
    for (const auto& entry : entries)
        ico.append(entry.second);
    QFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(ico) == ico.size() && out.flush();
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 2 && argc != 3) {
        std::fputs("usage: render_icons OUTDIR [ICO]\n", stderr);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QImage art = setup::prismIcon();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = dir + QStringLiteral("/ruk3-setup.png");
        const QImage icon = scaled(art, size);
        if (!QDir().mkpath(dir) || !icon.save(file)) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    if (argc == 3 && !writeIco(art, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "render_icons: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
