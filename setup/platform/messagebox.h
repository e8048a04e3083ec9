#pragma once

#include <QString>

namespace setup::platform {

enum class Icon { None, Warning, Information };

// A modal message box with the OK button only. The forms show every message
// through this interface, so that tests can record the messages instead.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void show(const QString& text, Icon icon, const QString& title) = 0;
};

// The real boxes: a QMessageBox, shown modal until the user presses OK.
class QtMessageBoxes final : public MessageBoxes {
public:
    void show(const QString& text, Icon icon, const QString& title) override;
};

}  // namespace setup::platform
