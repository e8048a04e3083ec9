#include "textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "runtime_error.h"

namespace platform {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

// A RunError for a failed open of path, from the system's error code.
[[noreturn]] void throwOpenError(const std::string& path, int code)
{
    if (path.empty()) throw RunError(kBadFileName, "Bad file name: empty path");
    switch (code) {
    case ENOENT:
        throw RunError(kFileNotFound, "File not found: " + path);
    case EACCES:
    case EPERM:
        throw RunError(kPermissionDenied, "Permission denied: " + path);
    default:
        throw RunError(kPathFileAccess, "Path/File access error: " + path + " (" +
                                            std::strerror(code) + ")");
    }
}

}  // namespace

InputFile::InputFile(const std::string& path) : buffer_(kBlockBytes)
{
    if (path.empty()) throwOpenError(path, ENOENT);
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throwOpenError(path, errno);
    struct stat info;
    if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) size_ = static_cast<uint64_t>(info.st_size);
}

std::unique_ptr<InputFile> openInputFile(const std::string& path)
{
    struct stat info;
    if (!path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throwOpenError(path, EISDIR);
    return std::make_unique<InputFile>(path);
}

InputFile::~InputFile() { close(); }

// Reads the next block; false at the end of the file. An error is not the end.
bool InputFile::fill()
{
    if (eof_) return false;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n > 0) {
            consumed_ += end_;
            pos_ = 0;
            end_ = static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) throw ReadFailure(std::strerror(errno), line_);
    }
}

int InputFile::peekByte()
{
    if (pos_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

bool InputFile::atEnd() { return peekByte() < 0; }

std::string InputFile::readField(std::size_t maxLength)
{
    while (peekByte() == ' ') ++pos_;
    std::string field;
    for (;;) {
        if (pos_ == end_ && !fill()) return field;
        // Copy the run of ordinary characters up to the next separator at once.
        const char* start = buffer_.data() + pos_;
        std::size_t n = 0;
        const std::size_t available = end_ - pos_;
        while (n < available && start[n] != ',' && start[n] != '\n' && start[n] != '\r') ++n;
        const std::size_t kept = std::min(n, maxLength - std::min(maxLength, field.size()));
        field.append(start, kept);
        pos_ += kept;
        if (kept < n) return field;  // over-long: stop inside the field
        if (n == available) continue;
        const char separator = buffer_[pos_++];
        if (separator == '\r' && peekByte() == '\n') ++pos_;
        if (separator != ',') ++line_;
        return field;
    }
}

void InputFile::close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

OutputFile::OutputFile(const std::string& path)
{
    if (path.empty()) throwOpenError(path, ENOENT);
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno == ENOENT) throw RunError(kPathNotFound, "Path not found: " + path);
    if (fd_ < 0) throwOpenError(path, errno);
    buffer_.reserve(kBlockBytes + 4096);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) ::close(fd_);
}

void OutputFile::writeLine(std::string_view text, long inputLine)
{
    buffer_.append(text);
    buffer_.append("\r\n");
    heldLines_.push_back({written_ + buffer_.size(), inputLine});
    if (buffer_.size() >= kBlockBytes) flush();
}

void OutputFile::flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(written_ + done, n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    written_ += done;
    if (!heldLines_.empty()) completeThrough_ = heldLines_.back().inputLine;
    heldLines_.clear();
    buffer_.clear();
}

// The file holds fileBytes after a failed write. A line written only in part
// is cut off again, so that the file ends with its last complete line.
void OutputFile::fail(uint64_t fileBytes, int error)
{
    uint64_t keep = written_;
    long through = completeThrough_;
    for (const LineEnd& end : heldLines_) {
        if (end.offset > fileBytes) break;
        keep = end.offset;
        through = end.inputLine;
    }
    if (::ftruncate(fd_, static_cast<off_t>(keep)) != 0) {
        // Not a regular file (a device, a pipe): nothing to cut.
    }
    ::close(fd_);
    fd_ = -1;
    buffer_.clear();
    heldLines_.clear();
    throw WriteFailure(std::strerror(error), through);
}

void OutputFile::close()
{
    if (fd_ < 0) return;
    flush();
    const int result = ::close(fd_);
    fd_ = -1;
    if (result != 0) throw WriteFailure(std::strerror(errno), completeThrough_);
}

}  // namespace platform
