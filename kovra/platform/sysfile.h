// File descriptors and error texts of the C library, with the same meaning on
// Linux and on Windows. On Linux these are the POSIX calls themselves. On
// Windows paths are UTF-8 and opened by their UTF-16 names (any name opens,
// not only those of the ANSI code page; a path too long for the old limit of
// 260 characters in its long form, "\\?\C:\..."), every file is binary and
// not inherited by child processes, a directory fails to open with EISDIR as
// on Linux (the Windows C library says EACCES), and error texts are worded as
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

// The error of a file that another program holds open without sharing it
// (Windows only): not a number of the C library's.
inline constexpr int kOpenInAnotherProgram = 0x10000;

// glibc's texts for the error numbers a file operation can end with; null for others.
inline const char* linuxErrorText(int code)
{
    switch (code) {
    case kOpenInAnotherProgram: return "it is open in another program";
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

// The path as the Windows file API takes it, in UTF-16: as it is, or in its
// long form when its full path reaches the old limit of 260 characters.
std::wstring nativePath(const std::string& path);

// The error number of a failed Windows call, for the reasons a file
// operation can have (EIO for the others).
int errorNumber(unsigned long windowsError);

inline bool isDirectory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// flags as for open(); -1 and errno on failure.
int openFile(const std::string& path, int flags, int mode = 0);

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
// other end). Symbolic links are followed. On Windows a device name (NUL,
// CON, COM1, also as "nul.txt" or in a folder) names a device, which exists
// and is no regular file.
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

// Opens path for writing directly, created when absent and emptied: a FIFO
// once it has a reader, waited for so that an interruption, whenever it
// comes, cuts the wait short (throws). -1 and errno on failure.
int openForWritingDirectly(const std::string& path);

// Where an open of path for writing ends up, the symbolic links at its end
// followed one by one as the system follows them (up to 40, chains and
// dangling chains alike, a relative link from its own folder). The chain
// ends at the path of a file, existing or to be created, or at a link the
// system resolves itself, one under /proc: when that is one of this
// process's own descriptors, /proc/self/fd/N (which /dev/stdout, /dev/fd/N
// and /proc/PID/fd/N for this process name too), the chain names that
// descriptor. On Windows the path is its own end.
struct LinkEnd {
    std::string path;         // the last path of the chain
    int descriptor = -1;      // the process's own descriptor it names, else -1
    bool systemLink = false;  // path is another link under /proc, which only an open resolves
};
LinkEnd linkEnd(const std::string& path);

// A descriptor of this process's own, duplicated for writing through it:
// the same open file, its position and its appending shared. -1 and errno
// on failure (EBADF for one that is not open, or open for reading only).
int duplicateForWriting(int fd);

// Whether this process may write the existing file at path.
bool mayWrite(const std::string& path);

// Whether another program holds the existing file at path open so that it
// can be neither written nor replaced (Windows only: a sharing violation).
bool openInAnotherProgram(const std::string& path);

// The permission bits of the existing file at path, or those a new file
// gets (0666 less the umask) when it is absent or cannot be examined. On
// Windows, where a new file takes its folder's permissions, read and write.
unsigned permissionBits(const std::string& path, bool existing);

// Creates a new file for writing beside target, named ".NAME.kovra-XXXXXX"
// after target's name (NAME cut, at a character, so that the name fits in
// 255 bytes), readable and writable by its owner alone, and narrower when
// bits are: nobody reads it who may not read the file it will replace. Gives
// its descriptor and sets temporary to its path; -1 and errno on failure,
// ENAMETOOLONG for a target whose own name is longer than 255.
int createTemporaryBeside(const std::string& target, unsigned bits, std::string& temporary);

// Gives the file open on fd the owner and group of the existing file at
// original; false when they cannot be kept. Nothing to do on Windows.
bool takeOwner(int fd, const std::string& original);

// Sets the permission bits of the file open on fd (set-id bits included);
// false when they cannot be set. Nothing to do on Windows.
bool setPermissionBits(int fd, unsigned bits);

// Writes what the system holds of the file open on fd to the disk; false and
// errno when that fails.
bool syncFile(int fd);

// Writes the folder that holds path to the disk, so that a file renamed into
// it stays renamed after a power cut; whatever fails is let pass (some file
// systems cannot). Nothing to do on Windows, where the rename writes through.
void syncFolderOf(const std::string& path);

// Moves from over to, replacing a file there, in one step; false and errno
// on failure.
bool replaceFile(const std::string& from, const std::string& to);

// Removes a file; false when it cannot be.
bool removeFile(const std::string& path);

}  // namespace platform::sys
