#include "core/processstart.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/nativepath.h"
#include "core/regularfile.h"

namespace setup::core {

namespace {

// Where a PE header may start at the farthest; real programs have it within
// the first kilobyte.
constexpr std::uint32_t kFarthestPeHeader = 1 << 20;

// The first size bytes of file (all of a shorter one), empty when it cannot be read.
std::string leadingBytes(const std::string& file, std::size_t size)
{
    const RegularFile::Opened opened = RegularFile::open(fsPath(file));
    std::string bytes;
    if (opened.status != RegularFile::Status::Open)
        return bytes;
    char buffer[4096];
    try {
        for (std::size_t got = 1; got > 0 && bytes.size() < size;) {
            got = opened.file->read(buffer, std::min(sizeof buffer, size - bytes.size()));
            bytes.append(buffer, got);
        }
    } catch (const std::system_error&) {
        return {};
    }
    return bytes;
}

// Whether file is a Windows program, by its content: an MS-DOS header ("MZ")
// whose field at 0x3C gives the offset of the PE signature "PE\0\0". Neither
// its name (a Linux program may be called acad.exe) nor an MS-DOS header alone
// (an MS-DOS or 16-bit program, which Wine no longer runs) makes it one.
bool isWindowsProgram(const std::string& file)
{
    const std::string dosHeader = leadingBytes(file, 0x40);
    if (dosHeader.size() < 0x40 || dosHeader.compare(0, 2, "MZ") != 0)
        return false;
    std::uint32_t signatureAt = 0;
    for (int i = 3; i >= 0; --i)
        signatureAt = signatureAt << 8 | static_cast<unsigned char>(dosHeader[0x3C + i]);
    if (signatureAt < 0x40 || signatureAt > kFarthestPeHeader)
        return false;
    const std::string head = leadingBytes(file, signatureAt + 4);
    return head.size() == signatureAt + 4 && head.compare(signatureAt, 4, std::string_view("PE\0\0", 4)) == 0;
}

// The file that runs a program of that name found on the search path, as a
// shell finds it, or empty when there is none.
std::string onSearchPath(std::string_view name)
{
    const char* path = std::getenv("PATH");
    const std::string_view folders = path ? path : "/bin:/usr/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string_view::npos)
            end = folders.size();
        const std::string_view folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : std::string(folder)) + "/" + std::string(name);
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

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
[[noreturn]] void startGrandchild(const char* file, char* const argv[], int errorPipe)
{
    ::setsid();
    if (::fork() == 0) {
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
    std::string file = nativePath(program);
    std::error_code ec;
    if (!std::filesystem::exists(fsPath(file), ec))
        return {StartResult::Status::NotFound, {}};
    // A Windows program runs under Wine, which takes the file by its path on
    // this machine and finds the drive that holds it (C: for a file in its
    // prefix's drive_c): so a path on a drive that is not Wine's works too.
    std::vector<std::string> words{file};
    if (isWindowsProgram(file)) {
        const std::string wine = onSearchPath("wine");
        if (wine.empty())
            return {StartResult::Status::Failed, "es un programa de Windows y Wine no está instalado (no hay ningún "
                                                 "wine en el PATH)"};
        words = {"wine", file};
        file = wine;
    }
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return {StartResult::Status::Failed, startFailureReason(errno)};
    const pid_t child = ::fork();
    if (child == 0)
        startGrandchild(file.c_str(), argv.data(), errorPipe[1]);
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
