#include "pictures.h"

#include <QString>

namespace setup {

QPixmap prismPicture()
{
    return QPixmap(QStringLiteral(":/prism.png"));
}

QIcon folderIcon(bool open)
{
    QIcon icon;
    // Drawn at the sizes of 96, 120, 144 and 192 dots per inch.
    for (const int size : {16, 20, 24, 32}) {
        const QString file = QStringLiteral(":/folder-%1-%2.png").arg(open ? "open" : "closed").arg(size);
        icon.addFile(file, QSize(size, size), QIcon::Normal);
        icon.addFile(file, QSize(size, size), QIcon::Selected);
    }
    return icon;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/hicolor/%1x%1/apps/ruk3-setup.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace setup
