#include "outputfile.h"

#include <cerrno>

#include "interrupt.h"
#include "runtime_error.h"
#include "sysfile.h"

namespace platform {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

// The error of a failed open of the output: a missing folder is named as such.
RunError outputOpenError(const std::string& path, int code)
{
    if (code == ENOENT && !path.empty()) return {kPathNotFound, "Path not found: " + path};
    return sys::openError(path, code);
}

// A temporary file can take the place of the file at target.
bool replaceable(const std::string& target, const sys::FileStatus& status)
{
    const bool hasName = !target.empty() && target.back() != '/' && target.back() != '\\';
    return hasName && (!status.exists || status.regular);
}

}  // namespace

OutputFile::OutputFile(const std::string& path)
{
    if (path.empty()) throw sys::openError(path, ENOENT);
    buffer_.reserve(kBlockBytes + 4096);
    const std::string target = sys::linkTarget(path);
    const sys::FileStatus status = sys::statusOf(target);
    if (replaceable(target, status)) {
        if (status.exists && !sys::mayWrite(target)) throw sys::openError(path, errno);
        if (openTemporary(path, target, status.exists)) return;
    }
    openDirectly(path);
}

// Creates the temporary file; false when the folder may not be written or an
// existing file's owner cannot be kept, and the path is to be written directly.
bool OutputFile::openTemporary(const std::string& path, const std::string& target, bool existing)
{
    std::string temporary;
    fd_ = sys::createTemporaryBeside(target, temporary);
    if (fd_ < 0) {
        if (errno == ENOENT) throw outputOpenError(path, errno);
        return false;
    }
    if (existing && !sys::takeOwnerAndMode(fd_, target)) {
        sys::closeFile(fd_);
        sys::removeFile(temporary);
        fd_ = -1;
        return false;
    }
    target_ = target;
    temporary_ = temporary;
    replacesWhole_ = true;
    return true;
}

void OutputFile::openDirectly(const std::string& path)
{
    for (;;) {
        fd_ = sys::openFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);  // a FIFO's open waits for its reader
        if (fd_ >= 0) return;
        if (errno != EINTR) break;
        throwIfInterrupted();
    }
    throw outputOpenError(path, errno);
}

OutputFile::~OutputFile() { abandon(); }

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
        if (n < 0 && errno == EINTR) {
            written_ += done;  // an interruption ends a direct output after whole lines
            buffer_.erase(0, done);
            done = 0;
            throwIfInterrupted();
            continue;
        }
        if (n <= 0) fail(written_ + done, n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    written_ += done;
    if (!heldLines_.empty()) completeThrough_ = heldLines_.back().inputLine;
    heldLines_.clear();
    buffer_.clear();
}

// The file holds fileBytes after a failed write. A temporary file is removed;
// from a direct one, a line written only in part is cut off again, so that the
// file ends with its last complete line.
void OutputFile::fail(uint64_t fileBytes, int error)
{
    uint64_t keep = written_;
    for (const LineEnd& end : heldLines_) {
        if (end.offset > fileBytes) break;
        keep = end.offset;
        completeThrough_ = end.inputLine;
    }
    if (!replacesWhole_) sys::cutFile(fd_, keep);  // fails for a device or a pipe: nothing to cut
    buffer_.clear();
    heldLines_.clear();
    abandon();
    throw WriteFailure(sys::errorText(error), completeThrough_);
}

void OutputFile::publish()
{
    if (fd_ < 0) return;
    flush();
    const int closed = sys::closeFile(fd_);
    fd_ = -1;
    if (closed != 0 || (!temporary_.empty() && !sys::replaceFile(temporary_, target_))) {
        const int error = errno;
        abandon();
        throw WriteFailure(sys::errorText(error), completeThrough_);
    }
    temporary_.clear();
}

void OutputFile::abandon()
{
    if (!replacesWhole_ && fd_ >= 0) {
        try {
            flush();
        } catch (const std::exception&) {
            // What could not be written is lost; the caller says how far it got.
        }
    }
    if (fd_ >= 0) sys::closeFile(fd_);
    fd_ = -1;
    if (!temporary_.empty()) sys::removeFile(temporary_);
    temporary_.clear();
    buffer_.clear();
    heldLines_.clear();
}

}  // namespace platform
