#pragma once
// The pieces every form is built from: a window of the form's size in the
// middle of the screen, controls placed from the layout tables in twips, the
// Arial fonts, and UTF-8 texts.

#include <windows.h>

#include <string>
#include <string_view>

#include "core/layout.h"

namespace setup::win32 {

namespace layout = core::layout;

// A form: one window whose messages go to handle(). The object belongs to its
// window and is deleted when the window is gone.
class FormWindow {
public:
    virtual ~FormWindow() = default;
    HWND hwnd() const { return hwnd_; }

protected:
    // Creates the window, of a class registered for className, with a client
    // area of the layout's size, centred on the screen and not yet shown.
    void create(const wchar_t* className, const layout::Form& form, DWORD style, DWORD exStyle, HWND owner);
    // What a form does not handle itself: the focused push button as the
    // default one and the focus kept across deactivation, as in a dialog;
    // everything else goes to DefWindowProcW.
    virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
};

// Twips at the screen's DPI (system DPI awareness: the DPI setup starts with).
int pixels(int twips);

// Controls at their place in the layout, offset by the place of the frame that
// holds them (in twips), in their font or the forms' default font. id is the
// command identifier in WM_COMMAND.
HWND addControl(HWND form, const wchar_t* className, DWORD style, DWORD exStyle, const layout::Control& control,
                int id, layout::Box frame = {});
// A label: plain text from the top left, in a box that shows all of its text,
// by the rule both front ends follow (layout::fitLabel): a label high enough
// for two lines wraps its text, a lower one shows one line, and either grows
// as far as its text needs.
HWND addLabel(HWND form, const layout::Control& control, layout::Box frame = {});
// The height of a line of text in a control's font.
int lineHeightOf(const layout::Control& control);
// How large text is in font on the screen, as a label draws it.
layout::TextSize textSize(const layout::Font& font, std::string_view utf8);
// A push button in the tab order. It is the default button while it has the
// focus, so that Enter presses it.
HWND addButton(HWND form, const layout::Control& control, int id, layout::Box frame = {});

// Buttons report BN_SETFOCUS and BN_KILLFOCUS; a form passes its WM_COMMAND
// here so that the focused button is drawn as the default one.
void followFocus(WPARAM wParam, LPARAM lParam);

std::string textOf(HWND window);
void setText(HWND window, std::string_view utf8);

}  // namespace setup::win32
