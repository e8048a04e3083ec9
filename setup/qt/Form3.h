#pragma once

#include <string>
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
    Form3(Form2& wizard, core::MessageBoxes& boxes, std::vector<std::string> drives = core::driveRoots());

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

private:
    void openFolder(const QString& path);
    void selectDriveOf(const QString& path);

    Form2& wizard_;
    core::MessageBoxes& boxes_;
    std::vector<std::string> drives_;
};

}  // namespace setup
