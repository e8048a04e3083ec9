#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/locator.h"
#include "formkit.h"
#include "picture.h"

namespace setup::core {
class MessageBoxes;
}  // namespace setup::core

namespace setup::win32 {

// The locator: drive, folder and file lists to pick acad.exe with. "&Aceptar"
// hands the chosen path to accepted and closes the locator.
class Form3 final : public FormWindow {
public:
    using Accepted = std::function<void(const std::string& path)>;
    // Shows the locator, owned by owner, and gives its window.
    static HWND open(HWND owner, core::MessageBoxes& boxes, Accepted accepted);

private:
    Form3(HWND owner, core::MessageBoxes& boxes, Accepted accepted);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    void command(int id, int notification);

    void Drive1_Change();
    void Command1_Click();
    void openSelectedFolder();
    void showFolder(const core::FolderView& view);
    void showFiles(const std::string& folder);
    void selectDrive(std::size_t index);
    void drawFolderLine(const DRAWITEMSTRUCT& line) const;

    core::MessageBoxes& boxes_;
    Accepted accepted_;
    const std::vector<core::Drive> drives_;
    const int folderIconSize_;  // pixels
    const Icon openFolder_;
    const Icon closedFolder_;
    std::vector<core::FolderEntry> folders_;  // the lines of Dir1
    std::string dirPath_;                   // the folder Dir1 shows
    std::string filePath_;                  // the folder File1 lists
    HWND Drive1_ = nullptr;
    HWND Dir1_ = nullptr;
    HWND File1_ = nullptr;
};

}  // namespace setup::win32
