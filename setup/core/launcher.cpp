#include "core/launcher.h"

#include "core/files.h"
#include "core/processstart.h"
#include "core/systemfiles.h"

namespace setup::core {

Launch launchStoredProgram(ProcessStarter& starter)
{
    const std::string pathFile(kPathFile);
    const FirstLine stored = readFirstLine(kPathFile);
    switch (stored.status) {
    case FirstLine::Status::NotFound:
        return {Launch::Next::Wizard, {}, {}};
    case FirstLine::Status::Unreadable:
        return {Launch::Next::Wizard, {}, "No se puede leer el archivo " + pathFile + "."};
    case FirstLine::Status::Read:
        break;
    }
    if (stored.text.empty())
        return {Launch::Next::Wizard, {}, "El archivo " + pathFile + " no contiene la ruta de AutoCAD."};

    const StartResult started = starter.start(stored.text);
    switch (started.status) {
    case StartResult::Status::Started:
        return {Launch::Next::End, stored.text, {}};
    case StartResult::Status::NotFound:
        return {Launch::Next::Wizard, stored.text, {}};
    case StartResult::Status::Failed:
        break;
    }
    return {Launch::Next::Wizard, stored.text,
            "No se puede iniciar el programa " + stored.text + ": " + started.reason};
}

}  // namespace setup::core
