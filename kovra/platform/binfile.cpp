#include "binfile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "interrupt.h"
#include "sysfile.h"

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

double BinFile::doubleAt(int64_t offset) const
{
    return std::bit_cast<double>(littleEndianAt(offset, 8));
}

BinReader::BinReader(const std::string& path)
{
    // Without O_CREAT: a missing file stays missing.
    fd_ = sys::openForReading(path, false);
    if (fd_ < 0) {
        if (errno == ENOENT) return;
        if (errno == EISDIR || errno == ENODEV) {
            status_ = Status::kNotRegular;
            errorNumber_ = kPathFileAccess;
            reason_ = "not a regular file";
            return;
        }
        setUnreadable(errno);
        return;
    }
    status_ = Status::kOpen;
    size_ = sys::regularFileSize(fd_);
}

BinReader::~BinReader()
{
    if (fd_ >= 0) sys::closeFile(fd_);
}

void BinReader::setUnreadable(int error)
{
    status_ = Status::kUnreadable;
    errorNumber_ = (error == EACCES || error == EPERM) ? kPermissionDenied : kPathFileAccess;
    reason_ = sys::errorText(error);
}

std::size_t BinReader::readInto(std::vector<unsigned char>& out, std::size_t count)
{
    std::size_t appended = 0;
    while (status_ == Status::kOpen && appended < count) {
        const std::size_t first = out.size();
        const std::size_t block = std::min<std::size_t>(count - appended, 1 << 20);
        out.resize(first + block);
        const long n = sys::readSome(fd_, out.data() + first, block);
        out.resize(first + static_cast<std::size_t>(std::max<long>(n, 0)));
        if (n == 0) break;
        throwIfInterrupted();  // a huge file takes a while to read
        if (n < 0) {
            if (errno == EINTR) continue;
            setUnreadable(errno);  // a directory fails here with EISDIR
            break;
        }
        appended += static_cast<std::size_t>(n);
    }
    return appended;
}

}  // namespace platform
