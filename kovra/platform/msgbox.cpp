#include "msgbox.h"

#include <cstdio>

#ifdef _WIN32
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "win32/text.h"
#endif

namespace platform {

namespace {

// Written whole, in one call, so that a failed write (a closed pipe) costs
// nothing but the message.
void writeLine(const std::string& text)
{
    const std::string line = "kovra: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

#ifdef _WIN32

enum class Route { kStandardError, kConsole, kBox };

// Where the messages of this process go, decided once. KOVRA_MESSAGES=stderr
// or =box chooses (tests use stderr, so that no box waits for a click).
// Otherwise a standard error that is a file or a pipe gets them, and so does a
// console shared with the program that started kovra (cmd, PowerShell). A
// console of kovra's own, which Windows made because kovra was started from
// Explorer or another program, would close with it and take them along, and
// with no standard error at all they would be lost: then each message is a box,
// which holds the run until it is closed.
Route chooseRoute()
{
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    const bool valid = handle && handle != INVALID_HANDLE_VALUE;
    DWORD mode;
    const bool console = valid && GetConsoleMode(handle, &mode);
    const char* setting = std::getenv("KOVRA_MESSAGES");
    if (setting && std::string_view(setting) == "stderr") return console ? Route::kConsole : Route::kStandardError;
    if (setting && std::string_view(setting) == "box") return Route::kBox;
    if (console) {
        DWORD processes[2];
        return GetConsoleProcessList(processes, 2) > 1 ? Route::kConsole : Route::kBox;
    }
    return valid && GetFileType(handle) != FILE_TYPE_UNKNOWN ? Route::kStandardError : Route::kBox;
}

// Whether a message is a warning: "in.txt:5: warning: ...", "warning: ...".
// A point name holds no blank, so no error quotes ": warning: ".
bool isWarning(const std::string& text)
{
    return text.starts_with("warning: ") || text.find(": warning: ") != std::string::npos;
}

#endif

// text with each byte below 0x20 but the tab, and 0x7f, written as \xNN: a
// name from the input with an escape sequence must not drive the terminal.
std::string withControlsEscaped(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 0x20 && byte != 0x7f) || c == '\t') {
            shown += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
    }
    return shown;
}

}  // namespace

#ifdef _WIN32

namespace {

Route route()
{
    static const Route chosen = chooseRoute();
    return chosen;
}

// Modal, the OK button only, no icon, the program's name as title; false
// when it cannot be shown (no desktop).
bool showBox(const std::string& text)
{
    return MessageBoxW(nullptr, win32::widen(text).c_str(), L"kovra", MB_OK) > 0;
}

// The warnings of a run shown as boxes wait for the end of the run, where one
// box shows them all: a box holds the run until it is closed, and a file with
// thousands of warnings must not need thousands of clicks. The errors keep a
// box each.
std::vector<std::string> gatheredWarnings;
constexpr std::size_t kWarningsShown = 20;

}  // namespace

void messageBox(const std::string& message)
{
    const std::string text = withControlsEscaped(message);
    switch (route()) {
    case Route::kBox:
        if (isWarning(text)) {
            gatheredWarnings.push_back(text);
            return;
        }
        if (showBox(text)) return;
        break;
    case Route::kConsole: {
        // In UTF-16, so that names outside the console's code page show as they are.
        const std::wstring line = win32::widen("kovra: " + text + "\n");
        DWORD written;
        if (WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                          nullptr))
            return;
        break;
    }
    case Route::kStandardError:
        break;
    }
    writeLine(text);
}

void showSummary(const std::string& summary)
{
    if (route() != Route::kBox) {
        if (!summary.empty()) messageBox(summary);
        return;
    }
    if (summary.empty() && gatheredWarnings.empty()) return;
    std::string text = withControlsEscaped(summary);
    if (const std::size_t count = gatheredWarnings.size()) {
        if (!text.empty()) text += "\n\n";
        text += std::to_string(count) + (count == 1 ? " warning" : " warnings") +
                ": the points they name were converted; check them in the output.\n\n";
        for (std::size_t i = 0; i < std::min(count, kWarningsShown); ++i) text += gatheredWarnings[i] + "\n";
        if (count > kWarningsShown) text += "\nand " + std::to_string(count - kWarningsShown) + " more.";
    }
    if (!showBox(text)) {
        for (const std::string& warning : gatheredWarnings) writeLine(warning);
        if (!summary.empty()) writeLine(withControlsEscaped(summary));
    }
    gatheredWarnings.clear();
}

#else

void messageBox(const std::string& message) { writeLine(withControlsEscaped(message)); }

void showSummary(const std::string& summary)
{
    if (!summary.empty()) messageBox(summary);
}

#endif

}  // namespace platform
