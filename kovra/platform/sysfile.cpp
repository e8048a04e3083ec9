#include "sysfile.h"

#include <random>

#ifndef _WIN32
#include <poll.h>
#endif

#include "interrupt.h"

namespace platform::sys {

namespace {

constexpr int kTemporaryNameAttempts = 100;
constexpr int kMaxLinks = 40;  // as the system's own path lookup allows

#ifdef _WIN32
constexpr const char* kFolderEnds = "/\\:";
#else
constexpr const char* kFolderEnds = "/";
#endif

// ".NAME.kovra-" and six random letters or digits, in target's folder.
std::string temporaryName(const std::string& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::minstd_rand random(std::random_device{}());
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    const std::size_t folderEnd = target.find_last_of(kFolderEnds);
    const std::size_t nameAt = folderEnd == std::string::npos ? 0 : folderEnd + 1;
    return target.substr(0, nameAt) + "." + target.substr(nameAt) + ".kovra-" + suffix;
}

}  // namespace

RunError openError(const std::string& path, int code)
{
    if (path.empty()) return {kBadFileName, "Bad file name: empty path"};
    switch (code) {
    case ENOENT: return {kFileNotFound, "File not found: " + path};
    case EACCES:
    case EPERM: return {kPermissionDenied, "Permission denied: " + path};
    default: return {kPathFileAccess, "Path/File access error: " + path + " (" + errorText(code) + ")"};
    }
}

int createTemporaryBeside(const std::string& target, std::string& temporary)
{
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = temporaryName(target);
#ifdef _WIN32
        const int fd = openFile(temporary, _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
#else
        const int fd = openFile(temporary, O_WRONLY | O_CREAT | O_EXCL, 0666);
#endif
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

#ifdef _WIN32

FileStatus statusOf(const std::string& path)
{
    struct _stat64 info;
    if (_wstat64(win32::widen(path).c_str(), &info) != 0) return {};
    const int type = info.st_mode & _S_IFMT;
    return {true, type == _S_IFREG, type == _S_IFDIR};
}

int openForReading(const std::string& path, bool)
{
    const FileStatus status = statusOf(path);
    if (status.exists && !status.regular) {
        errno = status.directory ? EISDIR : ENODEV;
        return -1;
    }
    return openFile(path, _O_RDONLY);
}

std::string linkTarget(const std::string& path) { return path; }

// The mode of _waccess that asks whether a file may be written (the
// Microsoft headers give it no name).
constexpr int kWriteAccess = 2;

bool mayWrite(const std::string& path) { return _waccess(win32::widen(path).c_str(), kWriteAccess) == 0; }

bool takeOwnerAndMode(int, const std::string&) { return true; }

bool replaceFile(const std::string& from, const std::string& to)
{
    if (MoveFileExW(win32::widen(from).c_str(), win32::widen(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
}

bool removeFile(const std::string& path) { return _wunlink(win32::widen(path).c_str()) == 0; }

#else

FileStatus statusOf(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return {};
    return {true, S_ISREG(info.st_mode), S_ISDIR(info.st_mode)};
}

int openForReading(const std::string& path, bool fifoAllowed)
{
    // Without O_NONBLOCK the open of a FIFO waits for a writer. Open without
    // it, a FIFO is kept open while it waits for one (poll shows nothing until
    // a writer comes); closing it in between would leave a writer that came
    // meanwhile without a reader.
    const int fd = openFile(path, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info;
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !(S_ISREG(info.st_mode) || (fifoAllowed && S_ISFIFO(info.st_mode)))) {
        ::close(fd);
        errno = !known ? errno : S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
        return -1;
    }
    pollfd writerCame{fd, POLLIN, 0};
    while (S_ISFIFO(info.st_mode) && ::poll(&writerCame, 1, -1) < 0 && errno == EINTR) {
        if (interruptSignal()) {
            ::close(fd);
            throwIfInterrupted();
        }
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string linkTarget(const std::string& path)
{
    std::filesystem::path current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(current, ec)) break;
        const std::filesystem::path next = std::filesystem::read_symlink(current, ec);
        if (ec) break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

bool mayWrite(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

bool takeOwnerAndMode(int fd, const std::string& original)
{
    struct stat want, have;
    if (::stat(original.c_str(), &want) != 0 || ::fstat(fd, &have) != 0) return false;
    if ((want.st_uid != have.st_uid || want.st_gid != have.st_gid) && ::fchown(fd, want.st_uid, want.st_gid) != 0)
        return false;
    return ::fchmod(fd, want.st_mode & 07777) == 0;  // after fchown, which may clear set-id bits
}

bool replaceFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

#endif

}  // namespace platform::sys
