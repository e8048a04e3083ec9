// Runs kovra.exe with its messages as boxes, as when the CAD program starts
// it, and answers each box as a user would, with OK:
//
//   box_counter KOVRA_EXE INPUT OUTPUT
//
// prints one line for each box it saw, "box<TAB>" and the first line of its
// text (and, for a text of paragraphs, " | " and the first line of the
// second), then "boxes N" and "status S" (kovra's exit status).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD process;
    HWND box = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[16];
    if (owner == search.process && IsWindowVisible(window) && GetClassNameW(window, name, 16) &&
        std::wstring(name) == L"#32770") {
        search.box = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK longestStatic(HWND child, LPARAM data)
{
    auto& text = *reinterpret_cast<std::wstring*>(data);
    wchar_t name[16];
    if (!GetClassNameW(child, name, 16) || _wcsicmp(name, L"Static") != 0) return TRUE;
    std::wstring mine(static_cast<std::size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
    mine.resize(static_cast<std::size_t>(GetWindowTextW(child, mine.data(), static_cast<int>(mine.size()))));
    if (mine.size() > text.size()) text = mine;
    return TRUE;
}

std::string utf8(const std::wstring& text)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}

// The first line of the text, and of its second paragraph when it has one.
std::string heading(const std::wstring& text)
{
    std::wstring shown = text.substr(0, text.find(L'\n'));
    const std::size_t second = text.find(L"\n\n");
    if (second != std::wstring::npos) shown += L" | " + text.substr(second + 2, text.find(L'\n', second + 2) - second - 2);
    return utf8(shown);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) return 2;
    SetEnvironmentVariableW(L"KOVRA_MESSAGES", L"box");
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" " + argv[2] + L" " + argv[3];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return 3;
    int boxes = 0;
    while (WaitForSingleObject(started.hProcess, 50) == WAIT_TIMEOUT) {
        Search search{started.dwProcessId};
        EnumWindows(findBox, reinterpret_cast<LPARAM>(&search));
        if (!search.box) continue;
        std::wstring text;
        EnumChildWindows(search.box, longestStatic, reinterpret_cast<LPARAM>(&text));
        std::printf("box\t%s\n", heading(text).c_str());
        ++boxes;
        PostMessageW(search.box, WM_COMMAND, IDOK, 0);
        // Until it is gone: the next box may come under the same handle.
        while (IsWindow(search.box) && WaitForSingleObject(started.hProcess, 20) == WAIT_TIMEOUT) {
        }
    }
    DWORD status = 0;
    GetExitCodeProcess(started.hProcess, &status);
    std::printf("boxes %d\nstatus %lu\n", boxes, status);
    return 0;
}
