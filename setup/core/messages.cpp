#include "core/messages.h"

namespace setup::core {

void warn(MessageBoxes& boxes, std::string_view text)
{
    boxes.show(std::string(text), Icon::Warning, "¡Atención!");
}

void announceCompleted(MessageBoxes& boxes)
{
    boxes.show("Configuración completada", Icon::Information, "Información");
}

}  // namespace setup::core
