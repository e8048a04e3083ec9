#include "core/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace setup::core {

namespace {

class PosixRegularFile final : public RegularFile {
public:
    PosixRegularFile(int fd, mode_t mode) : fd_(fd), mode_(mode) {}
    ~PosixRegularFile() override { ::close(fd_); }

    std::size_t read(char* buffer, std::size_t size) override
    {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR)
                throw std::system_error(errno, std::generic_category(), "read");
        }
    }

    std::filesystem::perms permissions() const override
    {
        return static_cast<std::filesystem::perms>(mode_ & 07777);
    }

private:
    int fd_;
    mode_t mode_;
};

}  // namespace

RegularFile::Opened RegularFile::open(const std::filesystem::path& path)
{
    // Looked at before it is opened, as opening some devices does something;
    // the open itself never waits (for a FIFO's writer, say), and what was
    // opened is looked at again in case the name was swapped in between.
    struct stat named;
    if (::stat(path.c_str(), &named) != 0) {
        struct stat link;
        const bool missing = (errno == ENOENT || errno == ENOTDIR) && ::lstat(path.c_str(), &link) != 0;
        return {missing ? Status::NotFound : Status::Refused, nullptr};
    }
    if (!S_ISREG(named.st_mode))
        return {Status::Refused, nullptr};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {Status::Refused, nullptr};
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return {Status::Refused, nullptr};
    }
    return {Status::Open, std::make_unique<PosixRegularFile>(fd, opened.st_mode)};
}

}  // namespace setup::core
