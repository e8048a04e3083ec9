#pragma once

#include <string>
#include <string_view>

namespace setup::core {

struct StartResult {
    enum class Status { Started, NotFound, Failed };
    Status status;
    // Why a program that exists could not be started, in Spanish as the forms
    // speak: "permiso denegado", "no es un programa ejecutable", that it is a
    // Windows program and Wine is not installed, or, for any other cause,
    // "error del sistema".
    std::string reason;
};

// Starts a program as a new process and does not wait for it. Behind an
// interface so that tests can record the start instead.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // program is the whole command text: one path, used exactly as given (not
    // trimmed, not split into arguments), a Windows path mapped by nativePath.
    virtual StartResult start(const std::string& program) = 0;
};

// The real start, without arguments. On Windows the program's window opens
// maximised and takes the focus; elsewhere the process starts in a session of
// its own, and a Windows program (an MS-DOS header that leads to a PE header)
// starts under the wine found on PATH. A path with no file behind it is NotFound.
class SystemProcessStarter final : public ProcessStarter {
public:
    StartResult start(const std::string& program) override;
};

}  // namespace setup::core
