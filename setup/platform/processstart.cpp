#include "platform/processstart.h"

#include <QFileInfo>
#include <QProcess>

#include "platform/winpath.h"

namespace setup::platform {

StartResult DetachedProcessStarter::start(const QString& program)
{
    const QString file = nativePath(program);
    if (!QFileInfo::exists(file))
        return {StartResult::Status::NotFound, {}};
    QProcess process;
    process.setProgram(file);
    process.setArguments({});
    if (!process.startDetached())
        return {StartResult::Status::Failed, process.errorString()};
    return {StartResult::Status::Started, {}};
}

}  // namespace setup::platform
