#pragma once

#include "formkit.h"
#include "picture.h"

namespace setup::core {
class MessageBoxes;
class ProcessStarter;
}  // namespace setup::core

namespace setup::win32 {

// The splash. After three seconds (timerInterval ms) it starts the stored
// program and setup ends, or it hands over to the wizard. Closed before then,
// setup ends.
class Form1 final : public FormWindow {
public:
    static constexpr UINT kDefaultInterval = layout::form1::kTimerInterval;

    static void open(core::MessageBoxes& boxes, core::ProcessStarter& starter, UINT timerInterval = kDefaultInterval);

private:
    Form1(core::MessageBoxes& boxes, core::ProcessStarter& starter, UINT timerInterval);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void createControls();
    void Timer1_Timer();

    core::MessageBoxes& boxes_;
    core::ProcessStarter& starter_;
    const Bitmap picture_;
    HWND Label4_ = nullptr;
    bool wizardOpen_ = false;
};

}  // namespace setup::win32
