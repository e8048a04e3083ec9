#include "msgbox.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#ifdef _WIN32
#include <cstdlib>
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

// The length of the UTF-8 character that starts text, 0 when its bytes are
// none (a stray continuation byte, a sequence cut short, an over-long or a
// surrogate form); its code point in codePoint.
std::size_t utf8Character(std::string_view text, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || lead > 0xf4 || text.size() < length) return 0;
    codePoint = lead & (0x3f >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i) & 0x3f);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = codePoint >= kLeast[length] && codePoint <= 0x10ffff && !(codePoint >= 0xd800 && codePoint <= 0xdfff);
    return valid ? length : 0;
}

// Whether a terminal acts on the code point instead of showing it: the C1
// controls, and the bidi embeddings, overrides and isolates, which reorder
// the text after them.
bool terminalActsOn(char32_t codePoint)
{
    return (codePoint >= 0x80 && codePoint <= 0x9f) || (codePoint >= 0x202a && codePoint <= 0x202e) ||
           (codePoint >= 0x2066 && codePoint <= 0x2069);
}

// text with every byte and character that a terminal acts on escaped: a name
// from the input with an escape sequence must not drive the terminal, nor
// reorder the message. A byte below 0x20 but the tab, 0x7f, and a byte from
// 0x80 to 0x9f that is not part of a UTF-8 character become \xNN; a UTF-8
// character from U+0080 to U+009F, U+202A to U+202E or U+2066 to U+2069
// becomes \uNNNN. Every other byte stays, Latin-1 text included.
std::string withControlsEscaped(const std::string& text)
{
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        char32_t codePoint = 0;
        const std::size_t length = utf8Character(std::string_view(text).substr(i), codePoint);
        char escaped[16];
        if (length > 0 && terminalActsOn(codePoint)) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(codePoint));
            shown += escaped;
        } else if (length > 0 || (byte >= 0x20 && byte != 0x7f && !(byte >= 0x80 && byte <= 0x9f)) || byte == '\t') {
            shown.append(text, i, std::max<std::size_t>(length, 1));
        } else {
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
        i += std::max<std::size_t>(length, 1);
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
