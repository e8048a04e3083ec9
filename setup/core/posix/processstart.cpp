#include "core/processstart.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/nativepath.h"

namespace setup::core {

namespace {

// Why a program that exists did not start, in the forms' language.
std::string startFailureReason(int error)
{
    switch (error) {
    case EACCES:
        return "permiso denegado";
    case ENOEXEC:
        return "no es un programa ejecutable";
    default:
        return "error del sistema";
    }
}

// Runs in the intermediate child after fork: only async-signal-safe calls.
// The program runs in a grandchild in a session of its own, so that it
// outlives setup and is never setup's zombie; exec's error goes back through
// the pipe, which exec closes on success.
[[noreturn]] void startGrandchild(const char* file, int errorPipe)
{
    ::setsid();
    if (::fork() == 0) {
        char* const argv[] = {const_cast<char*>(file), nullptr};
        ::execv(file, argv);
        const int error = errno;
        (void)!::write(errorPipe, &error, sizeof error);
        ::_exit(127);
    }
    ::_exit(0);
}

}  // namespace

StartResult SystemProcessStarter::start(const std::string& program)
{
    const std::string file = nativePath(program);
    std::error_code ec;
    if (!std::filesystem::exists(fsPath(file), ec))
        return {StartResult::Status::NotFound, {}};

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return {StartResult::Status::Failed, startFailureReason(errno)};
    const pid_t child = ::fork();
    if (child == 0)
        startGrandchild(file.c_str(), errorPipe[1]);
    ::close(errorPipe[1]);
    int error = child < 0 ? errno : 0;
    if (child > 0) {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
        // Nothing to read: exec succeeded and closed the pipe.
        while (::read(errorPipe[0], &error, sizeof error) < 0 && errno == EINTR) {
        }
    }
    ::close(errorPipe[0]);
    if (error != 0)
        return {StartResult::Status::Failed, startFailureReason(error)};
    return {StartResult::Status::Started, {}};
}

}  // namespace setup::core
