#include "sysfile.h"

#include <random>

#ifdef _WIN32
#include <cwctype>
#include <string_view>
#else
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include "interrupt.h"

namespace platform::sys {

namespace {

constexpr int kTemporaryNameAttempts = 100;
constexpr int kMaxLinks = 40;  // as the system's own path lookup allows
// The longest file name: 255 bytes on Linux's file systems, 255 UTF-16 units
// on Windows' (never more than the name's UTF-8 bytes).
constexpr std::size_t kMaxNameLength = 255;
constexpr std::string_view kTemporaryMark = ".kovra-";
constexpr std::size_t kRandomLetters = 6;

#ifdef _WIN32
constexpr const char* kFolderEnds = "/\\:";
#else
constexpr const char* kFolderEnds = "/";
#endif

// Where the name in path starts: after its last folder separator.
std::size_t nameStart(const std::string& path)
{
    const std::size_t folderEnd = path.find_last_of(kFolderEnds);
    return folderEnd == std::string::npos ? 0 : folderEnd + 1;
}

// At most bytes bytes of the UTF-8 text name, cut before a character.
std::string cutAtCharacter(const std::string& name, std::size_t bytes)
{
    if (name.size() <= bytes) return name;
    while (bytes > 0 && (static_cast<unsigned char>(name[bytes]) & 0xc0) == 0x80) --bytes;
    return name.substr(0, bytes);
}

// The length of a file name as the file system counts it.
std::size_t nameLength(const std::string& name)
{
#ifdef _WIN32
    return win32::widen(name).size();
#else
    return name.size();
#endif
}

// ".NAME.kovra-" and six random letters or digits, in target's folder; NAME
// cut so that the whole name fits.
std::string temporaryName(const std::string& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::minstd_rand random(std::random_device{}());
    std::string suffix(kTemporaryMark);
    for (std::size_t i = 0; i < kRandomLetters; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
    const std::size_t nameAt = nameStart(target);
    const std::string name = cutAtCharacter(target.substr(nameAt), kMaxNameLength - 1 - suffix.size());
    return target.substr(0, nameAt) + "." + name + suffix;
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

int createTemporaryBeside(const std::string& target, unsigned bits, std::string& temporary)
{
#ifdef _WIN32
    const int flags = _O_WRONLY | _O_CREAT | _O_EXCL;
#else
    const int flags = O_WRONLY | O_CREAT | O_EXCL;
#endif
    if (nameLength(target.substr(nameStart(target))) > kMaxNameLength) {
        errno = ENAMETOOLONG;
        return -1;
    }
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporary = temporaryName(target);
        const int fd = openFile(temporary, flags, static_cast<int>(bits & 0600));
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

#ifdef _WIN32

namespace {

// Whether the name of path is one that Windows takes for a device, in any
// folder and with any extension: NUL, CON, PRN, AUX, COM1 to COM9, LPT1 to
// LPT9, CONIN$, CONOUT$; and any path in the device namespace, "\\.\".
bool isDeviceName(const std::string& path)
{
    if (path.starts_with("\\\\.\\") || path.starts_with("//./")) return true;
    std::string name = path.substr(nameStart(path));
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : {"NUL", "CON", "PRN", "AUX", "CONIN$", "CONOUT$"})
        if (name == device) return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) && name[3] >= '1' &&
           name[3] <= '9';
}

// The longest path the long form takes, and the length from which it is needed
// (260 for a file, less for a folder that is to hold files).
constexpr std::size_t kLongPathLimit = 32767;
constexpr std::size_t kShortPathLimit = 248;

std::wstring fullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), n, full.data(), nullptr));
    return full;
}

}  // namespace

std::wstring nativePath(const std::string& path)
{
    const std::wstring wide = win32::widen(path);
    if (wide.starts_with(L"\\\\?\\") || wide.starts_with(L"\\\\.\\")) return wide;
    const std::wstring full = fullPath(wide);
    if (full.size() < kShortPathLimit) return wide;
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

int errorNumber(unsigned long windowsError)
{
    switch (windowsError) {
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return kOpenInAnotherProgram;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
    }
}

int openFile(const std::string& path, int flags, int mode)
{
    const std::wstring native = nativePath(path);
    if (native.size() > kLongPathLimit) {
        errno = ENAMETOOLONG;
        return -1;
    }
    _doserrno = 0;
    const int fd = _wopen(native.c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
    if (fd >= 0) return fd;
    // The C library's errno says EACCES for a directory and for a file another
    // program holds; its _doserrno keeps Windows' own reason.
    const int reason = errorNumber(_doserrno);
    if (reason == kOpenInAnotherProgram || reason == ENAMETOOLONG) errno = reason;
    else if (errno == EACCES && isDirectory(path)) errno = EISDIR;
    return -1;
}

FileStatus statusOf(const std::string& path)
{
    if (isDeviceName(path)) return {true, false, false};
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    const bool directory = attributes & FILE_ATTRIBUTE_DIRECTORY;
    return {true, !directory, directory};
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

int openForWritingDirectly(const std::string& path)
{
    throwIfInterrupted();
    return openFile(path, _O_WRONLY | _O_CREAT | _O_TRUNC, _S_IREAD | _S_IWRITE);
}

LinkEnd linkEnd(const std::string& path) { return {path}; }

int duplicateForWriting(int fd) { return _dup(fd); }

// The mode of _waccess that asks whether a file may be written (the
// Microsoft headers give it no name).
constexpr int kWriteAccess = 2;

bool mayWrite(const std::string& path) { return _waccess(nativePath(path).c_str(), kWriteAccess) == 0; }

// The access a replacing rename needs on the file it replaces.
bool openInAnotherProgram(const std::string& path)
{
    const HANDLE handle = CreateFileW(nativePath(path).c_str(), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return errorNumber(GetLastError()) == kOpenInAnotherProgram;
}

unsigned permissionBits(const std::string&, bool) { return _S_IREAD | _S_IWRITE; }

bool takeOwner(int, const std::string&) { return true; }

bool setPermissionBits(int, unsigned) { return true; }

bool syncFile(int fd)
{
    if (FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd)))) return true;
    errno = errorNumber(GetLastError());
    return false;
}

void syncFolderOf(const std::string&) {}

bool replaceFile(const std::string& from, const std::string& to)
{
    if (MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = errorNumber(GetLastError());
    return false;
}

bool removeFile(const std::string& path) { return _wunlink(nativePath(path).c_str()) == 0; }

#else

namespace {

// The folder that holds path, as a path of its own.
std::string folderOf(const std::string& path)
{
    const std::size_t nameAt = nameStart(path);
    return nameAt == 0 ? "." : path.substr(0, nameAt);
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// The descriptor that path names when it is an entry of this process's own
// descriptor folder (/proc/self/fd, which /proc/PID/fd and /dev/fd lead to,
// or the thread's /proc/thread-self/fd); whether that descriptor is open
// or not.
std::optional<int> ownDescriptor(const std::string& path)
{
    const std::string name = path.substr(nameStart(path));
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::string folder = folderOf(path);
    if (!sameFile(folder, "/proc/self/fd") && !sameFile(folder, "/proc/thread-self/fd")) return std::nullopt;
    return std::stoi(name);
}

bool onProcFileSystem(const std::string& folder)
{
    struct statfs info;
    return ::statfs(folder.c_str(), &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

}  // namespace

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
    try {
        if (S_ISFIFO(info.st_mode)) waitUntilReadable(fd);
    } catch (const Interrupted&) {
        ::close(fd);
        throw;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int openForWritingDirectly(const std::string& path)
{
    // A FIFO's open for writing would wait for a reader in the system, where a
    // signal that came just before it would not cut it short. Opened without
    // waiting, it fails (ENXIO) while there is no reader, and is tried again
    // after each short pause.
    constexpr std::chrono::milliseconds kReaderLookout{20};
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
        for (;;) {
            const int fd = openFile(path, O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
                return fd;
            }
            if (errno != ENXIO) return -1;
            pauseFor(kReaderLookout);
        }
    }
    for (;;) {
        throwIfInterrupted();
        const int fd = openFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);  // a device's open may wait too
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

LinkEnd linkEnd(const std::string& path)
{
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        if (const std::optional<int> descriptor = ownDescriptor(current)) return {current, *descriptor};
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        if (onProcFileSystem(folderOf(current))) return {current, -1, true};
        std::error_code ec;
        const std::string next = std::filesystem::read_symlink(current, ec).string();
        if (ec || next.empty()) break;
        // A relative link is read from the link's own folder, as it stands in the path.
        current = next.front() == '/' ? next : current.substr(0, nameStart(current)) + next;
    }
    return {current};
}

int duplicateForWriting(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) {
        errno = EBADF;
        return -1;
    }
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

bool mayWrite(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

bool openInAnotherProgram(const std::string&) { return false; }

unsigned permissionBits(const std::string& path, bool existing)
{
    struct stat info;
    if (existing && ::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
    // The umask can only be read by setting it: set back at once, before any
    // thread of the run that might create a file has started.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

bool takeOwner(int fd, const std::string& original)
{
    struct stat want, have;
    if (::stat(original.c_str(), &want) != 0 || ::fstat(fd, &have) != 0) return false;
    return (want.st_uid == have.st_uid && want.st_gid == have.st_gid) || ::fchown(fd, want.st_uid, want.st_gid) == 0;
}

bool setPermissionBits(int fd, unsigned bits) { return ::fchmod(fd, bits) == 0; }

bool syncFile(int fd) { return ::fsync(fd) == 0; }

void syncFolderOf(const std::string& path)
{
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    ::fsync(folder);
    ::close(folder);
}

bool replaceFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

#endif

}  // namespace platform::sys
