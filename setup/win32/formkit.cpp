#include "formkit.h"

#include <cmath>
#include <map>
#include <utility>

#include "core/text.h"
#include "resources.h"

namespace setup::win32 {

namespace {

int screenDpi()
{
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int CALLBACK noteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool fontInstalled(const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, noteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// Arial, or where it is missing the system's sans-serif: the face of the
// default GUI font, else the dialog font every Windows maps to one.
const std::wstring& faceName()
{
    static const std::wstring face = []() -> std::wstring {
        if (fontInstalled(L"Arial"))
            return L"Arial";
        LOGFONTW gui{};
        if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui) && gui.lfFaceName[0])
            return gui.lfFaceName;
        return L"MS Shell Dlg 2";
    }();
    return face;
}

// One font object per size and weight, kept for the life of the process.
HFONT fontFor(const layout::Font& font)
{
    static std::map<std::pair<double, bool>, HFONT> fonts;
    HFONT& made = fonts[{font.points, font.bold}];
    if (!made) {
        LOGFONTW wanted{};
        wanted.lfHeight = -static_cast<LONG>(std::lround(font.points * screenDpi() / 72.0));
        wanted.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
        wanted.lfCharSet = DEFAULT_CHARSET;
        wanted.lfQuality = DEFAULT_QUALITY;
        wcsncpy(wanted.lfFaceName, faceName().c_str(), LF_FACESIZE - 1);
        made = CreateFontIndirectW(&wanted);
    }
    return made;
}

HFONT fontOf(const layout::Control& control)
{
    return fontFor(control.font.value_or(layout::kDefaultFont));
}

// The screen's device context with a font selected, for measuring text.
class ScreenText {
public:
    explicit ScreenText(HFONT font) : dc_(GetDC(nullptr)), old_(SelectObject(dc_, font)) {}
    ~ScreenText()
    {
        SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    ScreenText(const ScreenText&) = delete;
    ScreenText& operator=(const ScreenText&) = delete;

    int lineHeight() const
    {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc_, &metrics);
        return metrics.tmHeight + metrics.tmExternalLeading;
    }

    int width(const std::wstring& text) const
    {
        SIZE extent{};
        GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &extent);
        return extent.cx;
    }

    // The height of text wrapped at width as a label (SS_LEFT) wraps it.
    int wrappedHeight(const std::wstring& text, int width) const
    {
        RECT box{0, 0, width, 0};
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &box,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
        return box.bottom;
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace

int pixels(int twips)
{
    return layout::twipsToPixels(twips, screenDpi());
}

void FormWindow::create(const wchar_t* className, const layout::Form& form, DWORD style, DWORD exStyle, HWND owner)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExW(instance, className, &windowClass)) {
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(RUK_ICON_SETUP));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = className;
        RegisterClassExW(&windowClass);
    }
    RECT frame{0, 0, pixels(form.width), pixels(form.height)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, className, core::widen(form.caption).c_str(), style, left, top,
                    width, height, owner, nullptr, instance, this);
}

LRESULT FormWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Enter (through IsDialogMessageW) presses the default button, which is
    // the push button that has the focus, and none elsewhere.
    if (message == DM_GETDEFID) {
        HWND focus = GetFocus();
        const bool onButton = focus && IsChild(hwnd_, focus) &&
                              (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
        return onButton ? MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID) : 0;
    }
    // As in a dialog, the focus leaves with the form and comes back to the
    // same control, or to the first in the tab order.
    if (message == WM_ACTIVATE) {
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus))
                lastFocus_ = focus;
            return 0;
        }
        HWND next = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (next && !IsIconic(hwnd_)) {
            SetFocus(next);
            return 0;
        }
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK FormWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = form->handle(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete form;
    }
    return result;
}

HWND addControl(HWND form, const wchar_t* className, DWORD style, DWORD exStyle, const layout::Control& control,
                int id, layout::Box frame)
{
    const layout::Box& box = control.box;
    const std::wstring text = core::widen(control.text);
    const auto menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    HWND window = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                  pixels(frame.left) + pixels(box.left), pixels(frame.top) + pixels(box.top),
                                  pixels(box.width), pixels(box.height), form, menu, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(fontOf(control)), FALSE);
    return window;
}

layout::TextSize textSize(const layout::Font& font, std::string_view utf8)
{
    HFONT handle = fontFor(font);
    const std::wstring text = core::widen(utf8);
    const ScreenText measure(handle);
    return {measure.lineHeight(), measure.width(text),
            [handle, text](int width) { return ScreenText(handle).wrappedHeight(text, width); }};
}

HWND addLabel(HWND form, const layout::Control& control, layout::Box frame)
{
    // Its room: the frame that holds it, or the form's client area.
    RECT client;
    GetClientRect(form, &client);
    const bool inFrame = frame.width > 0;
    const layout::Box& box = control.box;
    const layout::LabelBox fitted = layout::fitLabel(
        {pixels(box.left), pixels(box.top), pixels(box.width), pixels(box.height)},
        textSize(control.font.value_or(layout::kDefaultFont), control.text),
        inFrame ? pixels(frame.width) : client.right, inFrame ? pixels(frame.height) : client.bottom);
    HWND label = addControl(form, L"STATIC", (fitted.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX, 0, control,
                            -1, frame);
    SetWindowPos(label, nullptr, pixels(frame.left) + fitted.box.left, pixels(frame.top) + fitted.box.top,
                 fitted.box.width, fitted.box.height, SWP_NOZORDER | SWP_NOACTIVATE);
    return label;
}

int lineHeightOf(const layout::Control& control)
{
    return ScreenText(fontOf(control)).lineHeight();
}

HWND addButton(HWND form, const layout::Control& control, int id, layout::Box frame)
{
    return addControl(form, L"BUTTON", BS_PUSHBUTTON | BS_NOTIFY | WS_TABSTOP, 0, control, id, frame);
}

void followFocus(WPARAM wParam, LPARAM lParam)
{
    // Other controls' notifications share these codes (CBN_DROPDOWN is
    // BN_KILLFOCUS): only push buttons are meant.
    const WORD notification = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if ((notification != BN_SETFOCUS && notification != BN_KILLFOCUS) || !control ||
        !(SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        return;
    SendMessageW(control, BM_SETSTYLE, notification == BN_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

std::string textOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return core::narrow(text);
}

void setText(HWND window, std::string_view utf8)
{
    SetWindowTextW(window, core::widen(utf8).c_str());
}

}  // namespace setup::win32
