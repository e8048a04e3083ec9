#include "platform/winpath.h"

#include <QDir>

namespace setup::platform {

namespace {

bool isWindowsPath(const QString& path)
{
    return path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 0x80 && path[1] == u':' &&
           path[2] == u'\\';
}

QString driveFolder(QChar letter)
{
    const QString drive = letter.toUpper();
    const QString fromEnvironment = qEnvironmentVariable(qPrintable(QStringLiteral("RUK_DRIVE_") + drive));
    return fromEnvironment.isEmpty() ? QDir::homePath() + QStringLiteral("/.ruk/") + drive : fromEnvironment;
}

}  // namespace

QString nativePath(const QString& path)
{
    if (!isWindowsPath(path))
        return path;
    QString folder = driveFolder(path[0]);
    if (folder.endsWith(u'/'))
        folder.chop(1);
    QString rest = path.mid(2);
    rest.replace(u'\\', u'/');
    return folder + rest;
}

}  // namespace setup::platform
