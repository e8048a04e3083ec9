#include "platform/textfile.h"

#include <QFile>

#include "platform/winpath.h"

namespace setup::platform {

FirstLine readFirstLine(const QString& path)
{
    QFile file(nativePath(path));
    if (!file.exists())
        return {FirstLine::Status::NotFound, {}};
    if (!file.open(QIODevice::ReadOnly))
        return {FirstLine::Status::Unreadable, {}};
    QByteArray line = file.readLine();
    if (file.error() != QFileDevice::NoError)
        return {FirstLine::Status::Unreadable, {}};
    const qsizetype end = line.indexOf('\r');
    if (end >= 0)
        line.truncate(end);
    if (line.endsWith('\n'))
        line.chop(1);
    return {FirstLine::Status::Read, QString::fromLatin1(line)};
}

}  // namespace setup::platform
