#include "core/pendingfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace setup::core {

namespace {

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
        std::random_device random;
        for (int attempt = 0; fd_ < 0; ++attempt) {
            name_ = target.string() + ".new" + std::to_string(random() % 1000000);
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && (errno != EEXIST || attempt == 100))
                throwErrno("open");
        }
        if (permissions != std::filesystem::perms::unknown &&
            ::fchmod(fd_, static_cast<mode_t>(permissions & std::filesystem::perms::mask)) != 0) {
            const int error = errno;
            ::close(fd_);
            ::unlink(name_.c_str());
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
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            throwErrno("close");
        if (::rename(name_.c_str(), target().c_str()) != 0)
            throwErrno("rename");
        committed_ = true;
        flushFolderOf(target());
    }

private:
    std::string name_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<PendingFile> PendingFile::create(const std::filesystem::path& target, std::filesystem::perms permissions)
{
    return std::make_unique<PosixPendingFile>(target, permissions);
}

}  // namespace setup::core
