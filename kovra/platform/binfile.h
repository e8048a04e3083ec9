// Binary file access for byte-addressed reads: the whole file is read into
// memory once, and every later read is answered from there. A read that runs
// past the end of the data gives zeros for the missing bytes instead of an
// error. Multi-byte values are little-endian whatever the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
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
    explicit BinFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    // count bytes starting offset bytes into the file; those past the end are
    // zero. A negative offset raises badRecordNumberError.
    void read(int64_t offset, unsigned char* out, std::size_t count) const;

    int32_t int32At(int64_t offset) const;
    float singleAt(int64_t offset) const;
    double doubleAt(int64_t offset) const;

private:
    uint64_t littleEndianAt(int64_t offset, std::size_t count) const;

    std::vector<unsigned char> bytes_;
};

// The outcome of reading a whole file. A missing file is reported, never
// created; any other failure carries the system's reason ("Permission denied",
// "Is a directory") and the run-time error number that fits it.
struct LoadedFile {
    enum class Status { kRead, kMissing, kUnreadable };
    Status status = Status::kMissing;
    BinFile data;
    int errorNumber = 0;
    std::string reason;
};

LoadedFile loadBinFile(const std::string& path);

}  // namespace platform
