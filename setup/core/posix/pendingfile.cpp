#include "core/pendingfile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace setup::core {

namespace {

// The names of the pending files that exist, for the handler of the signals
// that end the program, which removes them. The handler may interrupt the
// program anywhere, so it reads only slots whose name is complete, and a slot
// it has taken is never handed out again: each one is Free, Filling (its name
// being written), Armed, or Removing (taken by the handler).
enum SlotState : int { kFree, kFilling, kArmed, kRemoving };

struct GuardSlot {
    std::atomic<int> state{kFree};
    char name[PATH_MAX];
};

// Two pending files at a time at most: the path file and the library copy.
GuardSlot guardSlots[4];

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Async-signal-safe only: unlink, signal, raise. The signal then ends the
// program as it would have without the handler.
void removePendingFilesAndEnd(int signal)
{
    for (GuardSlot& slot : guardSlots) {
        int armed = kArmed;
        if (slot.state.compare_exchange_strong(armed, kRemoving))
            ::unlink(slot.name);
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Once per program. A signal the program ignores (nohup) or handles itself keeps that.
void installSignalGuard()
{
    static const bool installed = [] {
        struct sigaction guard {};
        guard.sa_handler = removePendingFilesAndEnd;
        sigemptyset(&guard.sa_mask);
        for (const int signal : kEndingSignals)
            sigaddset(&guard.sa_mask, signal);
        for (const int signal : kEndingSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
                current.sa_handler == SIG_DFL)
                ::sigaction(signal, &guard, nullptr);
        }
        return true;
    }();
    (void)installed;
}

// The slot that now names file for the handler, or -1 when none is free (the
// file then stays unguarded, and a signal leaves it to removeLeftovers).
int arm(const std::string& file)
{
    static_assert(std::atomic<int>::is_always_lock_free);
    if (file.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < static_cast<int>(std::size(guardSlots)); ++i) {
        int free = kFree;
        if (guardSlots[i].state.compare_exchange_strong(free, kFilling)) {
            std::memcpy(guardSlots[i].name, file.c_str(), file.size() + 1);
            guardSlots[i].state.store(kArmed);
            return i;
        }
    }
    return -1;
}

void disarm(int slot)
{
    if (slot < 0)
        return;
    int armed = kArmed;
    guardSlots[slot].state.compare_exchange_strong(armed, kFree);
}

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

// An existing target that is a folder, or a file that may not be written, is
// refused before anything is written, as writing it in place would be. A
// symbolic link is neither: the link itself is replaced.
void refuseUnreplaceable(const std::filesystem::path& target)
{
    struct stat existing;
    if (::lstat(target.c_str(), &existing) != 0 || S_ISLNK(existing.st_mode))
        return;
    if (S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        throwErrno("lstat");
    }
    if (::access(target.c_str(), W_OK) != 0)
        throwErrno("access");
}

// Whether name is still the file open as fd, now that fd holds the lock of
// a pending file: a program that removed a leftover took that name from the
// file just before, and the file's writer then starts again under another.
bool holdsItsName(int fd, const std::string& name)
{
    struct stat opened;
    struct stat named;
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// The folder's entry of a renamed file reaches the disk with the folder.
void flushFolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

class PosixPendingFile final : public PendingFile {
public:
    PosixPendingFile(const std::filesystem::path& target, std::filesystem::perms permissions) : PendingFile(target)
    {
        refuseUnreplaceable(target);
        installSignalGuard();
        std::random_device random;
        for (int attempt = 0; fd_ < 0; ++attempt) {
            name_ = newName(target, random()).string();
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && (errno != EEXIST || attempt == 100))
                throwErrno("open");
            if (fd_ >= 0 && !holdsItsName(fd_, name_)) {
                ::close(fd_);
                fd_ = -1;
            }
        }
        slot_ = arm(name_);
        if (permissions != std::filesystem::perms::unknown &&
            ::fchmod(fd_, static_cast<mode_t>(permissions & std::filesystem::perms::mask)) != 0) {
            const int error = errno;
            ::close(fd_);
            ::unlink(name_.c_str());
            disarm(slot_);
            errno = error;
            throwErrno("fchmod");
        }
    }

    ~PosixPendingFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(name_.c_str());
        disarm(slot_);
    }

    void write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                throwErrno("write");
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    void commit() override
    {
        if (::fsync(fd_) != 0)
            throwErrno("fsync");
        // Renamed while still open and locked, so that a program starting
        // meanwhile never takes it for a leftover (see removeLeftover). A
        // flushed file has nothing left for its close to report.
        if (::rename(name_.c_str(), target().c_str()) != 0)
            throwErrno("rename");
        committed_ = true;
        disarm(slot_);
        ::close(fd_);
        fd_ = -1;
        flushFolderOf(target());
    }

private:
    std::string name_;
    int fd_ = -1;
    int slot_ = -1;
    bool committed_ = false;
};

}  // namespace

// A pending file holds a lock on its file while it lives, which ends with the
// program that holds it, so a file beside the target that nobody has locked is
// one a program left behind. The lock is taken before the file is removed, so
// that no program starts on it meanwhile.
void PendingFile::removeLeftover(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened;
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && holdsItsName(fd, file.string()))
        ::unlink(file.c_str());
    ::close(fd);
}

std::unique_ptr<PendingFile> PendingFile::create(const std::filesystem::path& target, std::filesystem::perms permissions)
{
    return std::make_unique<PosixPendingFile>(target, permissions);
}

}  // namespace setup::core
