#include "platform/drives.h"

#include <QFileInfo>
#include <QStorageInfo>

namespace setup::platform {

QStringList driveRoots()
{
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (volume.isValid() && volume.isReady() && root != u"/" && QFileInfo(root).isDir())
            others.append(root);
    }
    others.sort();
    others.removeDuplicates();
    return QStringList{QStringLiteral("/")} + others;
}

QString driveOf(const QString& path, const QStringList& drives)
{
    QString best = drives.value(0);
    qsizetype bestLength = -1;
    for (const QString& root : drives) {
        const bool holds = path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (holds && root.size() > bestLength) {
            best = root;
            bestLength = root.size();
        }
    }
    return best;
}

}  // namespace setup::platform
