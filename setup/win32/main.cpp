// setup.exe: the splash of RUK - 3. It starts AutoCAD from the stored path, or
// runs the first-run wizard when there is no usable path yet.
#include <windows.h>
#include <commctrl.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "Form1.h"
#include "core/processstart.h"
#include "core/text.h"
#include "messageboxes.h"
#include "setup_help.h"

namespace {

bool isConsole(HANDLE handle)
{
    DWORD mode;
    return GetConsoleMode(handle, &mode) != 0;
}

// --help and --version: on standard output when it leads somewhere (a file, a
// pipe, the console setup was started from), else in a message box, as a
// program without a console of its own has nowhere else to say it.
int answer(std::string_view text)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
        out = INVALID_HANDLE_VALUE;
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    }
    DWORD written;
    if (out != INVALID_HANDLE_VALUE && isConsole(out)) {
        const std::wstring wide = setup::core::widen(text);
        return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) ? 0 : 1;
    }
    if (out != INVALID_HANDLE_VALUE)
        return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ? 0 : 1;
    MessageBoxW(nullptr, setup::core::widen(text).c_str(), L"setup", MB_OK);
    return 0;
}

// The splash's wait, 3000 ms. The window tests shorten it with
// RUK_SETUP_TIMER1_MS (a number of ms), so as not to sit through it at every
// start, or lengthen it to look at the splash; nothing else sets it.
UINT timer1Interval()
{
    const char* text = std::getenv("RUK_SETUP_TIMER1_MS");
    if (!text)
        return setup::win32::Form1::kDefaultInterval;
    UINT ms = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, ms);
    return error == std::errc() && stop == end ? ms : setup::win32::Form1::kDefaultInterval;
}

// Runs until the last form is gone. Keys go through the dialog manager of the
// form they are meant for: Tab and Shift+Tab, Enter, Escape and the Alt keys
// of the "&" captions.
int runForms()
{
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        HWND form = GetAncestor(message.hwnd, GA_ROOT);
        if (form && IsDialogMessageW(form, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return answer(help::kText);  // the manual page ruk3-setup(1), under the name setup
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return answer("setup " RUK_VERSION "\n");

    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    setup::core::SystemProcessStarter starter;
    setup::win32::Form1::open(setup::win32::systemMessageBoxes(), starter, timer1Interval());
    return runForms();
}
