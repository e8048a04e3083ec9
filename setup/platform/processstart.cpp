#include "platform/processstart.h"

#include <cerrno>

#include <QFileInfo>
#include <QProcess>

#include "platform/winpath.h"

namespace setup::platform {

namespace {

// Why a program that exists did not start, in the forms' language. QProcess
// reports a failed exec with the system's text for its error code (English or
// the locale's), so that text is matched against the texts of the codes named
// here.
QString startFailureReason(const QString& errorString)
{
    struct Known {
        int code;
        const char* reason;
    };
    static constexpr Known known[] = {
        {EACCES, "permiso denegado"},
        {ENOEXEC, "no es un programa ejecutable"},
    };
    for (const Known& k : known)
        if (errorString.endsWith(qt_error_string(k.code)))
            return QString::fromUtf8(k.reason);
    return QStringLiteral("error del sistema");
}

}  // namespace

StartResult DetachedProcessStarter::start(const QString& program)
{
    const QString file = nativePath(program);
    if (!QFileInfo::exists(file))
        return {StartResult::Status::NotFound, {}};
    QProcess process;
    process.setProgram(file);
    process.setArguments({});
    if (!process.startDetached())
        return {StartResult::Status::Failed, startFailureReason(process.errorString())};
    return {StartResult::Status::Started, {}};
}

}  // namespace setup::platform
