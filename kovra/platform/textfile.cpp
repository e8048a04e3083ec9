#include "textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "interrupt.h"
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

}  // namespace

InputFile::InputFile(int fd) : fd_(fd), buffer_(kBlockBytes), size_(sys::regularFileSize(fd)) {}

std::unique_ptr<InputFile> openInputFile(const std::string& path)
{
    if (path.empty()) throw sys::openError(path, ENOENT);
    const int fd = sys::openForReading(path, true);
    if (fd >= 0) return std::make_unique<InputFile>(fd);
    if (errno == ENODEV) throw RunError(kPathFileAccess, "Path/File access error: " + path + " (not a regular file or a pipe)");
    throw sys::openError(path, errno);
}

InputFile::~InputFile() { close(); }

// Reads the next block; false at the end of the file. An error is not the end.
bool InputFile::fill()
{
    if (eof_) return false;
    for (;;) {
        waitUntilReadable(fd_);  // a pipe's writer may keep the run waiting
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
        throwIfInterrupted();
    }
}

int InputFile::peekByte()
{
    if (pos_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

bool InputFile::atEnd() { return peekByte() < 0; }

void InputFile::skipEmptyLines()
{
    if (endingComma_ > 0) return;
    for (;;) {
        while (peekByte() == ' ') ++pos_;
        const int next = peekByte();
        if (next != '\n' && next != '\r') return;
        ++pos_;
        passLineEnd(static_cast<char>(next));
    }
}

void InputFile::passLineEnd(char first)
{
    if (first == '\r' && peekByte() == '\n') ++pos_;
    ++line_;
    lineStart_ = bytesConsumed();
}

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
        const uint64_t at = bytesConsumed();
        const char separator = buffer_[pos_++];
        if (separator == ',') {
            endingComma_ = static_cast<long>(at - lineStart_) + 1;
            return text.size() - first;
        }
        passLineEnd(separator);
        break;
    }
    endingComma_ = 0;
    return text.size() - first;
}

void InputFile::close()
{
    if (fd_ >= 0) sys::closeFile(fd_);
    fd_ = -1;
}

}  // namespace platform
