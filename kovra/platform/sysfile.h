// File descriptors and error texts of the C library, with the same meaning on
// Linux and on Windows. On Linux these are the POSIX calls themselves. On
// Windows paths are UTF-8 and opened by their UTF-16 names (any name opens,
// not only those of the ANSI code page), every file is binary and not
// inherited by child processes, a directory fails to open with EISDIR as on
// Linux (the Windows C library says EACCES), and error texts are worded as
// glibc words them, so that messages are the same on both.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "runtime_error.h"

#ifdef _WIN32
#include <io.h>

#include "win32/text.h"
#else
#include <unistd.h>
#endif

namespace platform::sys {

// glibc's texts for the error numbers a file operation can end with; null for others.
inline const char* linuxErrorText(int code)
{
    switch (code) {
    case EPERM: return "Operation not permitted";
    case ENOENT: return "No such file or directory";
    case EINTR: return "Interrupted system call";
    case EIO: return "Input/output error";
    case ENXIO: return "No such device or address";
    case EBADF: return "Bad file descriptor";
    case EAGAIN: return "Resource temporarily unavailable";
    case ENOMEM: return "Cannot allocate memory";
    case EACCES: return "Permission denied";
    case EFAULT: return "Bad address";
    case EBUSY: return "Device or resource busy";
    case EEXIST: return "File exists";
    case EXDEV: return "Invalid cross-device link";
    case ENODEV: return "No such device";
    case ENOTDIR: return "Not a directory";
    case EISDIR: return "Is a directory";
    case EINVAL: return "Invalid argument";
    case ENFILE: return "Too many open files in system";
    case EMFILE: return "Too many open files";
    case EFBIG: return "File too large";
    case ENOSPC: return "No space left on device";
    case ESPIPE: return "Illegal seek";
    case EROFS: return "Read-only file system";
    case EPIPE: return "Broken pipe";
    case ENAMETOOLONG: return "File name too long";
    case ENOSYS: return "Function not implemented";
    case EILSEQ: return "Invalid or incomplete multibyte or wide character";
    default: return nullptr;
    }
}

// The text of an error number, as Linux gives it.
inline const char* errorText(int code)
{
#ifdef _WIN32
    if (const char* text = linuxErrorText(code)) return text;
#endif
    return std::strerror(code);
}

// A path for std::filesystem. On Windows its narrow strings would be read in
// the C library's code page; the program's paths are UTF-8.
inline std::filesystem::path filePath(const std::string& utf8)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

#ifdef _WIN32

inline bool isDirectory(const std::string& path)
{
    struct _stat64 info;
    return _wstat64(win32::widen(path).c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR;
}

// flags as for open(); -1 and errno on failure.
inline int openFile(const std::string& path, int flags, int mode = 0)
{
    const int fd = _wopen(win32::widen(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, mode);
    if (fd < 0 && errno == EACCES && isDirectory(path)) errno = EISDIR;
    return fd;
}

inline std::optional<uint64_t> regularFileSize(int fd)
{
    struct _stat64 info;
    if (_fstat64(fd, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG) return static_cast<uint64_t>(info.st_size);
    return std::nullopt;
}

inline long readSome(int fd, void* out, std::size_t count)
{
    return _read(fd, out, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

inline long writeSome(int fd, const void* data, std::size_t count)
{
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
}

// Cuts a regular file to size bytes; false when it cannot be cut.
inline bool cutFile(int fd, uint64_t size) { return _chsize_s(fd, static_cast<long long>(size)) == 0; }

inline int closeFile(int fd) { return _close(fd); }

#else

inline int openFile(const std::string& path, int flags, int mode = 0)
{
    return ::open(path.c_str(), flags | O_CLOEXEC, mode);
}

inline std::optional<uint64_t> regularFileSize(int fd)
{
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) return static_cast<uint64_t>(info.st_size);
    return std::nullopt;
}

inline long readSome(int fd, void* out, std::size_t count) { return ::read(fd, out, count); }
inline long writeSome(int fd, const void* data, std::size_t count) { return ::write(fd, data, count); }
inline bool cutFile(int fd, uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }
inline int closeFile(int fd) { return ::close(fd); }

#endif

// The error of a failed open of path, from the system's error code: "File
// not found: path", "Permission denied: path", "Bad file name: empty path",
// or "Path/File access error: path (the system's reason)".
RunError openError(const std::string& path, int code);

// What the path names, without opening it (a FIFO's open would wait for its
// other end). Symbolic links are followed.
struct FileStatus {
    bool exists = false;
    bool regular = false;
    bool directory = false;
};
FileStatus statusOf(const std::string& path);

// Opens an existing regular file for reading, or, when fifoAllowed, a FIFO
// (what a pipe from another program is) once its writer comes; an
// interruption while it waits throws. Nothing else is waited for: -1 and
// errno on failure, EISDIR for a directory and ENODEV for any other kind of
// file (a device, a socket, a FIFO when none is allowed).
int openForReading(const std::string& path, bool fifoAllowed);

// The file a chain of symbolic links at path ends at, or would be created
// at; path itself when it is no link. On Windows, path.
std::string linkTarget(const std::string& path);

// Whether this process may write the existing file at path.
bool mayWrite(const std::string& path);

// Creates a new file for writing beside target, named ".NAME.kovra-XXXXXX"
// after target's name, with the permissions a new file gets. Gives its
// descriptor and sets temporary to its path; -1 and errno on failure.
int createTemporaryBeside(const std::string& target, std::string& temporary);

// Gives the file open on fd the owner, group and permission bits of the
// existing file at original; false when they cannot all be kept. Nothing to
// do on Windows, where a new file takes its folder's permissions.
bool takeOwnerAndMode(int fd, const std::string& original);

// Moves from over to, replacing a file there, in one step; false and errno
// on failure.
bool replaceFile(const std::string& from, const std::string& to);

// Removes a file; false when it cannot be.
bool removeFile(const std::string& path);

}  // namespace platform::sys
