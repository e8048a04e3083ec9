#include "textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "runtime_error.h"
#include "sysfile.h"

namespace platform {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

bool isSeparator(char c) { return c == ',' || c == '\n' || c == '\r'; }

// The index of the first comma, LF or CR among the n characters at text, or n.
// Sixteen characters are compared at a time where the processor can.
std::size_t separatorAt(const char* text, std::size_t n)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(','), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, comma), _mm_cmpeq_epi8(chunk, lf)),
                                          _mm_cmpeq_epi8(chunk, cr));
        if (const int mask = _mm_movemask_epi8(hits)) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (i < n && !isSeparator(text[i])) ++i;
    return i;
}

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
                                            sys::errorText(code) + ")");
    }
}

}  // namespace

InputFile::InputFile(const std::string& path) : buffer_(kBlockBytes)
{
    if (path.empty()) throwOpenError(path, ENOENT);
    fd_ = sys::openFile(path, O_RDONLY);
    if (fd_ < 0) throwOpenError(path, errno);
    size_ = sys::regularFileSize(fd_);
}

std::unique_ptr<InputFile> openInputFile(const std::string& path)
{
    if (!path.empty() && sys::isDirectory(path)) throwOpenError(path, EISDIR);
    return std::make_unique<InputFile>(path);
}

InputFile::~InputFile() { close(); }

// Reads the next block; false at the end of the file. An error is not the end.
bool InputFile::fill()
{
    if (eof_) return false;
    for (;;) {
        const long n = sys::readSome(fd_, buffer_.data(), buffer_.size());
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
        if (errno != EINTR) throw ReadFailure(sys::errorText(errno), line_);
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
    std::string field;
    readFieldInto(field, maxLength);
    return field;
}

std::size_t InputFile::readFieldInto(std::string& text, std::size_t maxLength)
{
    while (peekByte() == ' ') ++pos_;
    const std::size_t first = text.size();
    for (;;) {
        if (pos_ == end_ && !fill()) break;
        // Copy the run of ordinary characters up to the next separator at once.
        const char* start = buffer_.data() + pos_;
        const std::size_t available = end_ - pos_;
        const std::size_t n = separatorAt(start, available);
        const std::size_t room = maxLength - std::min(maxLength, text.size() - first);
        const std::size_t kept = std::min(n, room);
        text.append(start, kept);
        pos_ += kept;
        if (kept < n) break;  // over-long: stop inside the field
        if (n == available) continue;
        const char separator = buffer_[pos_++];
        if (separator == '\r' && peekByte() == '\n') ++pos_;
        if (separator != ',') ++line_;
        break;
    }
    return text.size() - first;
}

void InputFile::close()
{
    if (fd_ >= 0) sys::closeFile(fd_);
    fd_ = -1;
}

OutputFile::OutputFile(const std::string& path)
{
    if (path.empty()) throwOpenError(path, ENOENT);
    fd_ = sys::openFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd_ < 0 && errno == ENOENT) throw RunError(kPathNotFound, "Path not found: " + path);
    if (fd_ < 0) throwOpenError(path, errno);
    buffer_.reserve(kBlockBytes + 4096);
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) sys::closeFile(fd_);
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
        const long n = sys::writeSome(fd_, buffer_.data() + done, buffer_.size() - done);
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
    if (!sys::cutFile(fd_, keep)) {
        // Not a regular file (a device, a pipe): nothing to cut.
    }
    sys::closeFile(fd_);
    fd_ = -1;
    buffer_.clear();
    heldLines_.clear();
    throw WriteFailure(sys::errorText(error), through);
}

void OutputFile::close()
{
    if (fd_ < 0) return;
    flush();
    const int result = sys::closeFile(fd_);
    fd_ = -1;
    if (result != 0) throw WriteFailure(sys::errorText(errno), completeThrough_);
}

}  // namespace platform
