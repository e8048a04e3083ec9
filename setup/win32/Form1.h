#pragma once

#include "core/prism.h"
#include "formkit.h"

namespace setup::core {
class MessageBoxes;
class ProcessStarter;
}  // namespace setup::core

namespace setup::win32 {

// The splash. After three seconds it starts the stored program and setup
// ends, or it hands over to the wizard. Closed before then, setup ends.
class Form1 final : public FormWindow {
public:
    static void open(core::MessageBoxes& boxes, core::ProcessStarter& starter);

private:
    Form1(core::MessageBoxes& boxes, core::ProcessStarter& starter);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    void Timer1_Timer();

    core::MessageBoxes& boxes_;
    core::ProcessStarter& starter_;
    const core::Picture picture_;
    HWND Label4_ = nullptr;
    bool wizardOpen_ = false;
};

}  // namespace setup::win32
