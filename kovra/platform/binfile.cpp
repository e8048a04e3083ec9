#include "binfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace platform {

void BinFile::read(int64_t offset, unsigned char* out, std::size_t count) const
{
    if (offset < 0) throw badRecordNumberError();
    std::fill(out, out + count, 0);
    if (static_cast<uint64_t>(offset) >= bytes_.size()) return;
    const std::size_t available = std::min(count, bytes_.size() - static_cast<std::size_t>(offset));
    std::copy_n(bytes_.begin() + offset, available, out);
}

uint64_t BinFile::littleEndianAt(int64_t offset, std::size_t count) const
{
    unsigned char raw[8];
    if (offset >= 0 && static_cast<uint64_t>(offset) + count <= bytes_.size())
        std::memcpy(raw, bytes_.data() + offset, count);  // the common case: all in the file
    else
        read(offset, raw, count);
    uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) value = (value << 8) | raw[i];
    return value;
}

int32_t BinFile::int32At(int64_t offset) const
{
    return static_cast<int32_t>(static_cast<uint32_t>(littleEndianAt(offset, 4)));
}

float BinFile::singleAt(int64_t offset) const
{
    return std::bit_cast<float>(static_cast<uint32_t>(littleEndianAt(offset, 4)));
}

double BinFile::doubleAt(int64_t offset) const
{
    return std::bit_cast<double>(littleEndianAt(offset, 8));
}

namespace {

LoadedFile unreadable(int error)
{
    LoadedFile file;
    file.status = LoadedFile::Status::kUnreadable;
    file.errorNumber = (error == EACCES || error == EPERM) ? kPermissionDenied : kPathFileAccess;
    file.reason = std::strerror(error);
    return file;
}

}  // namespace

LoadedFile loadBinFile(const std::string& path)
{
    // open() without O_CREAT: a missing file stays missing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? LoadedFile{} : unreadable(errno);

    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;  // a directory fails here with EISDIR
            ::close(fd);
            return unreadable(error);
        }
        bytes.insert(bytes.end(), block, block + n);
    }
    ::close(fd);
    LoadedFile file;
    file.status = LoadedFile::Status::kRead;
    file.data = BinFile(std::move(bytes));
    return file;
}

}  // namespace platform
