#include "core/processstart.h"

#include <windows.h>

#include "core/text.h"

namespace setup::core {

namespace {

// Why a program that exists did not start, in the forms' language.
std::string startFailureReason(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return "permiso denegado";
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
    case ERROR_BAD_FORMAT:
        return "no es un programa ejecutable";
    default:
        return "error del sistema";
    }
}

bool isMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

}  // namespace

StartResult SystemProcessStarter::start(const std::string& program)
{
    const std::wstring file = widen(program);
    if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES && isMissing(GetLastError()))
        return {StartResult::Status::NotFound, {}};

    // The program is named on its own, so a path with blanks is never split
    // into a shorter program and arguments; its command line is the quoted path.
    std::wstring commandLine = L"\"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        const DWORD error = GetLastError();
        if (isMissing(error))
            return {StartResult::Status::NotFound, {}};
        return {StartResult::Status::Failed, startFailureReason(error)};
    }
    // setup ends next; the program is to take the foreground from it.
    AllowSetForegroundWindow(process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {StartResult::Status::Started, {}};
}

}  // namespace setup::core
