// A stand-in for acad.exe: records how it was started, in acad-started.txt
// beside itself, and ends. Lines: "show=maximized" (or "show=other") and
// "command=" followed by its command line. The record is written under
// another name and then renamed, so that once it is there it is whole.
#include <windows.h>

#include <string>

int main()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const bool maximized = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_SHOWMAXIMIZED;

    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring marker(self, length);
    marker.erase(marker.find_last_of(L'\\') + 1);
    marker += L"acad-started.txt";
    const std::wstring part = marker + L".part";

    const std::wstring command = GetCommandLineW();
    const int size = WideCharToMultiByte(CP_UTF8, 0, command.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, command.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    utf8.pop_back();  // the terminating NUL
    const std::string text = std::string("show=") + (maximized ? "maximized" : "other") + "\ncommand=" + utf8 + "\n";

    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && MoveFileExW(part.c_str(), marker.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
