#include "Form1.h"

#include "Form2.h"
#include "core/launcher.h"
#include "core/messages.h"
#include "resources.h"

namespace setup::win32 {

namespace {

namespace form1 = layout::form1;

constexpr UINT_PTR kTimer1 = 1;
constexpr int kImage1 = 101;

}  // namespace

void Form1::open(core::MessageBoxes& boxes, core::ProcessStarter& starter, UINT timerInterval)
{
    auto* form = new Form1(boxes, starter, timerInterval);
    ShowWindow(form->hwnd(), SW_SHOW);
    UpdateWindow(form->hwnd());
}

Form1::Form1(core::MessageBoxes& boxes, core::ProcessStarter& starter, UINT timerInterval)
    : boxes_(boxes), starter_(starter), picture_(loadBitmap(RUK_BITMAP_PRISM))
{
    // A tool window: small caption with the close button only, not in the taskbar.
    create(L"RukForm1", form1::kForm, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, nullptr);
    createControls();
    SetTimer(hwnd(), kTimer1, timerInterval, nullptr);
}

void Form1::createControls()
{
    addLabel(hwnd(), form1::Label1);
    addLabel(hwnd(), form1::Label2);
    addLabel(hwnd(), form1::LBLinico);
    addLabel(hwnd(), form1::Label3);
    Label4_ = addLabel(hwnd(), form1::Label4);
    addControl(hwnd(), L"STATIC", SS_OWNERDRAW, 0, form1::Image1, kImage1);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimer1)
            Timer1_Timer();
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        drawStretched(item->hDC, item->rcItem, picture_.get());
        return TRUE;
    }
    case WM_DESTROY:
        // Closed before the timer fired, or the program has started: setup
        // ends. Once the wizard is open it carries on alone.
        KillTimer(hwnd(), kTimer1);
        if (!wizardOpen_)
            PostQuitMessage(0);
        return 0;
    }
    return FormWindow::handle(message, wParam, lParam);
}

void Form1::Timer1_Timer()
{
    KillTimer(hwnd(), kTimer1);
    const core::Launch launch = core::launchStoredProgram(starter_);
    setText(Label4_, launch.storedPath);
    if (launch.next == core::Launch::Next::Wizard) {
        if (!launch.warning.empty())
            core::warn(boxes_, launch.warning);
        Form2::open(boxes_);
        wizardOpen_ = true;
    }
    DestroyWindow(hwnd());
}

}  // namespace setup::win32
