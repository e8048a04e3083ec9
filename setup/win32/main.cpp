// setup.exe: the splash of RUK - 3. It starts AutoCAD from the stored path, or
// runs the first-run wizard when there is no usable path yet.
#include <windows.h>
#include <commctrl.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "Form1.h"
#include "core/commandline.h"
#include "core/processstart.h"
#include "core/text.h"
#include "core/wizard.h"
#include "messageboxes.h"
#include "setup_help.h"

namespace {

bool isConsole(HANDLE handle)
{
    DWORD mode;
    return GetConsoleMode(handle, &mode) != 0;
}

// What the command line asks or gets wrong: on standard output or standard
// error (stream) when it leads somewhere (a file, a pipe, the console setup
// was started from), else in a message box, as a program without a console of
// its own has nowhere else to say it. status is the exit status when it was said.
int answer(std::string_view text, DWORD stream = STD_OUTPUT_HANDLE, int status = 0)
{
    HANDLE out = GetStdHandle(stream);
    if (!out || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
        out = INVALID_HANDLE_VALUE;
        if (AttachConsole(ATTACH_PARENT_PROCESS))
            out = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    }
    DWORD written;
    if (out != INVALID_HANDLE_VALUE && isConsole(out)) {
        const std::wstring wide = setup::core::widen(text);
        return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) ? status : 1;
    }
    if (out != INVALID_HANDLE_VALUE)
        return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ? status : 1;
    MessageBoxW(nullptr, setup::core::widen(text).c_str(), L"setup", MB_OK);
    return status;
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
    const setup::core::CommandLine line = setup::core::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
    case setup::core::CommandLine::Action::Help:
        return answer(help::kText);  // the manual page ruk3-setup(1), under the name setup
    case setup::core::CommandLine::Action::Version:
        return answer("setup " RUK_VERSION "\n");
    case setup::core::CommandLine::Action::UsageError:
        return answer(setup::core::usageMessage("setup", line.error), STD_ERROR_HANDLE, 2);
    case setup::core::CommandLine::Action::Run:
        break;
    }

    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    setup::core::removeLeftoversOfEarlierRuns();
    setup::core::SystemProcessStarter starter;
    setup::win32::Form1::open(setup::win32::systemMessageBoxes(), starter, timer1Interval());
    return runForms();
}
