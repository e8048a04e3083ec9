// Binary file access for byte-addressed reads: the whole file is read into
// memory once, and every later read is answered from there. A read that runs
// past the end of the data gives zeros for the missing bytes instead of an
// error. Multi-byte values are little-endian whatever the host's byte order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime_error.h"

namespace platform {

inline constexpr int kBadRecordNumber = 63;

// A read at a position before the start of the file.
inline RunError badRecordNumberError() { return {kBadRecordNumber, "Bad record number"}; }

class BinFile {
public:
    BinFile() = default;  // no data: every read gives zeros

    // The bytes held, to be filled by a reader.
    std::vector<unsigned char>& storage() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    // count bytes starting offset bytes into the file; those past the end are
    // zero. A negative offset raises badRecordNumberError.
    void read(int64_t offset, unsigned char* out, std::size_t count) const;

    int32_t int32At(int64_t offset) const;
    double doubleAt(int64_t offset) const;
    // Node values are read in every lookup: inline, and a plain copy when the
    // value lies in the file and the host is little-endian like the file.
    float singleAt(int64_t offset) const
    {
        if constexpr (std::endian::native == std::endian::little) {
            if (offset >= 0 && static_cast<uint64_t>(offset) + 4 <= bytes_.size()) {
                float value;
                std::memcpy(&value, bytes_.data() + offset, 4);
                return value;
            }
        }
        return std::bit_cast<float>(static_cast<uint32_t>(littleEndianAt(offset, 4)));
    }

private:
    uint64_t littleEndianAt(int64_t offset, std::size_t count) const;

    std::vector<unsigned char> bytes_;
};

// A regular file read from its start, block by block, never more than the
// caller asks for: a huge file costs only what is read of it. A missing file
// is reported, never created; a FIFO, a directory or a device is no regular
// file, and is not waited for; any other failure carries the system's reason
// ("Permission denied") and the run-time error number that fits it.
class BinReader {
public:
    enum class Status { kOpen, kMissing, kNotRegular, kUnreadable };

    explicit BinReader(const std::string& path);
    ~BinReader();
    BinReader(const BinReader&) = delete;
    BinReader& operator=(const BinReader&) = delete;

    Status status() const { return status_; }
    int errorNumber() const { return errorNumber_; }
    const std::string& reason() const { return reason_; }
    // The file's size, when it is open.
    std::optional<uint64_t> regularFileSize() const { return size_; }

    // Appends up to count bytes to out and gives how many were appended: fewer
    // only at the end of the file. A failed read makes the reader unreadable
    // and appends nothing more.
    std::size_t readInto(std::vector<unsigned char>& out, std::size_t count);

private:
    void setUnreadable(int error);

    int fd_ = -1;
    Status status_ = Status::kMissing;
    int errorNumber_ = 0;
    std::string reason_;
    std::optional<uint64_t> size_;
};

}  // namespace platform
