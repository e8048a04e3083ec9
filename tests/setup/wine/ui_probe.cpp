// Reads and sets what setup's windows show, from outside, as a screen reader
// would: the tests drive setup.exe with xdotool and look with this.
//
//   ui_probe titles                  the visible top-level windows' titles, one a line
//   ui_probe wait TITLE SECONDS      waits until a window titled TITLE is visible (status 1: it is not)
//   ui_probe gone TITLE SECONDS      waits until none is
//   ui_probe active TITLE SECONDS    waits until it is the foreground window, which takes the keys
//   ui_probe dump TITLE              "window" and each control, one a line: CLASS<TAB>X Y<TAB>TEXT, where
//                                    X Y is its centre on the screen; a list box's lines follow it as
//                                    item<TAB>X Y<TAB>TEXT, "item*" for the selected one
//   ui_probe focus TITLE             the control with the keyboard focus, as a dump line
//   ui_probe rect TITLE              LEFT TOP RIGHT BOTTOM of the window on the screen
//   ui_probe client TITLE            WIDTH HEIGHT of its client area
//   ui_probe close TITLE             X Y of the window's close button
//   ui_probe fits TITLE              the labels whose text does not show whole, one a line:
//                                    "cut<TAB>TEXT<TAB>needs W H, has W H" when the text in its
//                                    font, on one line or wrapped at the label's width, is larger
//                                    than the label, "clipped<TAB>TEXT" when the window cuts off
//                                    part of the label (a label wholly outside the window is hidden)
//   ui_probe settext TITLE CLASS T   sets the text of the first control of that class (\uXXXX in T
//                                    stands for that character)
//   ui_probe dropped TITLE           status 0 when the window's drop-down list is open, 1 when not
//   ui_probe picture TITLE X Y ...   "R G B" on the screen at each point X Y of the window's picture (its
//                                    owner-drawn static control), in thousandths of its width and height
//   ui_probe serve                   the commands above, one a line on standard input with their
//                                    arguments separated by tabs, each answer ended by the line
//                                    "end<TAB>STATUS": one process for a whole test, as starting a
//                                    program under Wine takes a good part of a second
// Classes are given in lower case. Texts are UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwctype>
#include <exception>
#include <string>
#include <vector>

#include "core/layout.h"
#include "core/text.h"
#include "formkit.h"

namespace layout = setup::core::layout;
using setup::core::narrow;

namespace {

void print(const std::wstring& line)
{
    const std::string text = narrow(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::wstring textOf(HWND window)
{
    wchar_t text[1024] = L"";
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    std::wstring lower(name);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

std::wstring centreOf(const RECT& r)
{
    return std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2);
}

// EnumWindows' callback: the visible windows into the vector at found.
BOOL CALLBACK collectVisible(HWND window, LPARAM found)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// EnumChildWindows' callback: every window into the vector at found.
BOOL CALLBACK collect(HWND window, LPARAM found)
{
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> topLevelWindows()
{
    std::vector<HWND> windows;
    EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND find(const std::wstring& title)
{
    for (HWND window : topLevelWindows())
        if (textOf(window) == title)
            return window;
    return nullptr;
}

std::vector<HWND> controlsOf(HWND window)
{
    std::vector<HWND> controls;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

std::wstring describe(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    return classOf(control) + L"\t" + centreOf(r) + L"\t" + textOf(control);
}

void dumpItems(HWND list)
{
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[1024] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024)
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        print(std::wstring(i == selected ? L"item*" : L"item") + L"\t" + centreOf(r) + L"\t" + text);
    }
}

// The centre of the points of the caption where the window says its close
// button is, asked at every third point (each question goes to setup's
// process and back, which takes its time).
bool closeButton(HWND window, POINT& centre)
{
    RECT r;
    GetWindowRect(window, &r);
    long sumX = 0, sumY = 0, hits = 0;
    for (int y = r.top; y < r.top + 40 && y < r.bottom; y += 3)
        for (int x = r.right - 1; x > r.right - 60 && x >= r.left; x -= 3)
            if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                sumX += x;
                sumY += y;
                ++hits;
            }
    if (hits == 0)
        return false;
    centre = {static_cast<LONG>(sumX / hits), static_cast<LONG>(sumY / hits)};
    return true;
}

std::wstring unescape(const std::wstring& text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, L"\\u") == 0 && i + 6 <= text.size()) {
            out += static_cast<wchar_t>(std::stoi(text.substr(i + 2, 4), nullptr, 16));
            i += 5;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The font of a label of setup's forms: its layout's, found by its text, else
// the forms' default font. (A font handle of another process is no use here.)
layout::Font fontOfLabel(const std::string& text)
{
    namespace l = layout;
    for (const l::Control& label : {l::form1::Label1, l::form1::Label2, l::form1::LBLinico, l::form1::Label3,
                                    l::form2::Label1, l::form2::Label2[0], l::form2::Label2[1], l::form3::Label1})
        if (label.text == text)
            return label.font.value_or(l::kDefaultFont);
    return l::kDefaultFont;
}

void printCutLabels(HWND window)
{
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    for (HWND control : controlsOf(window)) {
        const LONG type = GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK;
        const std::wstring text = textOf(control);
        if (classOf(control) != L"static" || (type != SS_LEFT && type != SS_LEFTNOWORDWRAP) || text.empty())
            continue;
        RECT client, onScreen, inside;
        GetClientRect(control, &client);
        GetWindowRect(control, &onScreen);
        // On one line, or wrapped at the label's width.
        const layout::TextSize size = setup::win32::textSize(fontOfLabel(narrow(text)), narrow(text));
        const bool wraps = type == SS_LEFT;
        const int width = wraps ? 0 : size.width;
        const int height = wraps ? size.wrappedHeight(client.right) : size.lineHeight;
        if (width > client.right || height > client.bottom)
            print(L"cut\t" + text + L"\tneeds " + std::to_wstring(width) + L" " + std::to_wstring(height) + L", has " +
                  std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
        if (IntersectRect(&inside, &onScreen, &area) && !EqualRect(&inside, &onScreen))
            print(L"clipped\t" + text);
    }
}

// The colours on the screen at points of the window's picture box.
bool printPictureColours(HWND window, const std::vector<std::wstring>& points)
{
    for (HWND control : controlsOf(window)) {
        if (classOf(control) != L"static" || (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) != SS_OWNERDRAW)
            continue;
        RECT box;
        GetWindowRect(control, &box);
        HDC screen = GetDC(nullptr);
        for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
            const int x = box.left + (box.right - box.left) * std::stoi(points[i]) / 1000;
            const int y = box.top + (box.bottom - box.top) * std::stoi(points[i + 1]) / 1000;
            const COLORREF colour = GetPixel(screen, x, y);
            print(std::to_wstring(GetRValue(colour)) + L" " + std::to_wstring(GetGValue(colour)) + L" " +
                  std::to_wstring(GetBValue(colour)));
        }
        ReleaseDC(nullptr, screen);
        return true;
    }
    return false;
}

enum class Wanted { Visible, Gone, Active };

bool waitFor(const std::wstring& title, double seconds, Wanted wanted)
{
    for (DWORD start = GetTickCount();; Sleep(100)) {
        HWND window = find(title);
        if (wanted == Wanted::Gone ? !window : window && (wanted == Wanted::Visible || window == GetForegroundWindow()))
            return true;
        if (GetTickCount() - start > seconds * 1000)
            return false;
    }
}

int run(const std::vector<std::wstring>& args)
{
    const std::wstring& command = args.size() > 1 ? args[1] : L"";
    if (command == L"titles") {
        for (HWND window : topLevelWindows())
            if (!textOf(window).empty())
                print(textOf(window));
        return 0;
    }
    if (args.size() < 3)
        return 2;
    const std::wstring& title = args[2];
    if ((command == L"wait" || command == L"gone" || command == L"active") && args.size() == 4) {
        const Wanted wanted = command == L"wait" ? Wanted::Visible : command == L"gone" ? Wanted::Gone : Wanted::Active;
        return waitFor(title, std::stod(args[3]), wanted) ? 0 : 1;
    }
    HWND window = find(title);
    if (!window) {
        print(L"no window " + title);
        return 1;
    }
    if (command == L"dump") {
        RECT r;
        GetWindowRect(window, &r);
        print(L"window\t" + centreOf(r) + L"\t" + title);
        for (HWND control : controlsOf(window)) {
            print(describe(control));
            if (classOf(control) == L"listbox")
                dumpItems(control);
        }
        return 0;
    }
    if (command == L"focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        print(info.hwndFocus ? describe(info.hwndFocus) : L"none");
        return 0;
    }
    if (command == L"rect") {
        RECT r;
        GetWindowRect(window, &r);
        print(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
              std::to_wstring(r.bottom));
        return 0;
    }
    if (command == L"client") {
        RECT r;
        GetClientRect(window, &r);
        print(std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom));
        return 0;
    }
    if (command == L"close") {
        POINT centre;
        if (!closeButton(window, centre))
            return 1;
        print(std::to_wstring(centre.x) + L" " + std::to_wstring(centre.y));
        return 0;
    }
    if (command == L"fits") {
        printCutLabels(window);
        return 0;
    }
    if (command == L"dropped") {
        for (HWND control : controlsOf(window))
            if (classOf(control) == L"combobox" && SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0))
                return 0;
        return 1;
    }
    if (command == L"picture" && args.size() % 2 == 1)
        return printPictureColours(window, std::vector<std::wstring>(args.begin() + 3, args.end())) ? 0 : 1;
    if (command == L"settext" && args.size() == 5) {
        for (HWND control : controlsOf(window))
            if (classOf(control) == args[3]) {
                const std::wstring text = unescape(args[4]);
                SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
                return 0;
            }
        return 1;
    }
    return 2;
}

// The usage, on standard error, for a command that is not one of the above
// (status 2); a number that is none counts as such.
int answer(const std::vector<std::wstring>& args)
{
    int status = 2;
    try {
        status = run(args);
    } catch (const std::exception&) {
    }
    if (status == 2)
        std::fputs("usage: ui_probe titles | wait|gone|active TITLE SECONDS | dump|focus|rect|client|close|fits|dropped TITLE | "
                   "settext TITLE CLASS TEXT | picture TITLE X Y... | serve\n",
                   stderr);
    return status;
}

// One command line of serve: its arguments separated by tabs.
std::vector<std::wstring> argumentsOf(const std::string& line)
{
    std::vector<std::wstring> args{L"ui_probe"};
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        args.push_back(setup::core::widen(line.substr(start, tab - start)));
    args.push_back(setup::core::widen(line.substr(start)));
    return args;
}

int serve()
{
    std::string line;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const int status = answer(argumentsOf(line));
        std::printf("end\t%d\n", status);
        std::fflush(stdout);
        line.clear();
    }
    return 0;
}

}  // namespace

int main()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::vector<std::wstring> args(argv, argv + count);
    LocalFree(argv);
    return args.size() == 2 && args[1] == L"serve" ? serve() : answer(args);
}
