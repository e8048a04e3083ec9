#pragma once

#include <string>
#include <string_view>

namespace setup::core {

enum class Icon { None, Warning, Information };

// A modal message box with the OK button only. Every message of setup goes
// through this interface: each front end shows real boxes, tests record them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const std::string& text, Icon icon, const std::string& title) = 0;
};

// The system's warning: the warning icon and the title "¡Atención!".
void warn(MessageBoxes& boxes, std::string_view text);

// The wizard's last word: "Configuración completada", information icon, title "Información".
void announceCompleted(MessageBoxes& boxes);

}  // namespace setup::core
