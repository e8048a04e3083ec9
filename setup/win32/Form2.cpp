#include "Form2.h"

#include "Form3.h"
#include "core/messages.h"
#include "core/wizard.h"

namespace setup::win32 {

namespace {

namespace form2 = layout::form2;

constexpr int kText1 = 201;
constexpr int kCommand1 = 202;
constexpr int kCommand2 = 203;

}  // namespace

void Form2::open(core::MessageBoxes& boxes)
{
    auto* form = new Form2(boxes);
    ShowWindow(form->hwnd(), SW_SHOW);
    UpdateWindow(form->hwnd());
}

Form2::Form2(core::MessageBoxes& boxes) : boxes_(boxes)
{
    create(L"RukForm2", form2::kForm, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, nullptr);
    createControls();
    setText(Label3_, core::recordedWindowsVersion());
}

void Form2::createControls()
{
    // Created in tab order; the frame's controls are placed inside it.
    const layout::Box frame = form2::Frame1.box;
    addLabel(hwnd(), form2::Label1);
    addControl(hwnd(), L"BUTTON", BS_GROUPBOX, 0, form2::Frame1, -1);
    addLabel(hwnd(), form2::Label2[0], frame);
    Label3_ = addLabel(hwnd(), form2::Label3, frame);
    addLabel(hwnd(), form2::Label2[1], frame);
    Text1_ = addControl(hwnd(), L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, form2::Text1, kText1, frame);
    addButton(hwnd(), form2::Command1, kCommand1, frame);
    addButton(hwnd(), form2::Command2, kCommand2);
}

LRESULT Form2::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        followFocus(wParam, lParam);
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCommand1)
            Command1_Click();
        else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCommand2)
            Command2_Click();
        return 0;
    case WM_DESTROY:
        // The last form: setup ends. (The locator, owned by the wizard, is gone by now.)
        PostQuitMessage(0);
        return 0;
    }
    return FormWindow::handle(message, wParam, lParam);
}

void Form2::Command1_Click()
{
    // One locator at a time: a second click brings it to the front.
    if (!locator_ || !IsWindow(locator_))
        locator_ = Form3::open(hwnd(), boxes_, [text1 = Text1_](const std::string& path) { setText(text1, path); });
    else
        SetForegroundWindow(locator_);
}

void Form2::Command2_Click()
{
    if (!core::storePathAndCopyLibrary(textOf(Text1_), textOf(Label3_), boxes_))
        return;
    // The wizard disappears before the closing message and is destroyed
    // after it, so that the message never stands without its window.
    if (locator_ && IsWindow(locator_))
        DestroyWindow(locator_);
    ShowWindow(hwnd(), SW_HIDE);
    core::announceCompleted(boxes_);
    DestroyWindow(hwnd());
}

}  // namespace setup::win32
