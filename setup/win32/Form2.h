#pragma once

#include "formkit.h"

namespace setup::core {
class MessageBoxes;
}

namespace setup::win32 {

// The first-run wizard: shows the recorded Windows version, takes the path
// of acad.exe (typed, or picked with the locator) and stores it.
class Form2 final : public FormWindow {
public:
    static void open(core::MessageBoxes& boxes);

private:
    explicit Form2(core::MessageBoxes& boxes);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    void Command1_Click();
    void Command2_Click();

    core::MessageBoxes& boxes_;
    HWND Label3_ = nullptr;
    HWND Text1_ = nullptr;
    HWND locator_ = nullptr;
};

}  // namespace setup::win32
