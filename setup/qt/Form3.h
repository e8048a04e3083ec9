#pragma once

#include <vector>

#include <QWidget>

#include "core/locator.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace setup {

namespace core {
class MessageBoxes;
}

namespace platform {
class DirList;
class FileList;
}  // namespace platform

class Form2;

// The locator: a drive, a folder and the file "acad.exe" in it. "&Aceptar" puts
// the file's full path into the wizard's Text1 and closes the dialog.
class Form3 : public QWidget {
    Q_OBJECT
public:
    // drives: the entries of Drive1, the machine's drives unless a test gives others.
    Form3(Form2& wizard, core::MessageBoxes& boxes, std::vector<core::Drive> drives = core::listDrives());

    QLabel* Label1;
    QComboBox* Drive1;
    platform::DirList* Dir1;
    platform::FileList* File1;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();

protected:
    // Escape leaves the dialog as "&Salir" does, once no control has taken
    // it (an open drop-down list closes first).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openFolder(const QString& path);
    void selectDriveOf(const QString& path);

    Form2& wizard_;
    core::MessageBoxes& boxes_;
    std::vector<core::Drive> drives_;
};

}  // namespace setup
