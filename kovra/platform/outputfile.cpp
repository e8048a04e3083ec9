#include "outputfile.h"

#include <cerrno>

#include "interrupt.h"
#include "runtime_error.h"
#include "sysfile.h"

namespace platform {

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;
// More than the longest line (a record of 32767 characters and its new
// coordinates): the buffer holds a block and one more line without growing.
constexpr std::size_t kLongestLine = 64 * 1024;

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

// Whether a failure to create a file says that the path can name no file
// there, as an open of the output itself would fail: a missing folder, a name
// too long or not allowed, a file system that is read-only.
bool namesNoFile(int code)
{
    return code == ENOENT || code == ENOTDIR || code == ENAMETOOLONG || code == EINVAL || code == ELOOP ||
           code == EROFS;
}

// Nothing was written: the path holds what it held.
[[noreturn]] void cannotReplace(int error) { throw WriteFailure(sys::errorText(error), 0); }

}  // namespace

OutputFile::OutputFile(const std::string& path)
{
    if (path.empty()) throw sys::openError(path, ENOENT);
    buffer_.reserve(kBlockBytes + kLongestLine);
    const sys::LinkEnd end = sys::linkEnd(path);
    if (end.descriptor >= 0) {
        openDescriptor(path, end.descriptor);
        return;
    }
    const sys::FileStatus status = sys::statusOf(end.path);
    if (!end.systemLink && replaceable(end.path, status)) {
        if (status.exists && !sys::mayWrite(end.path)) throw sys::openError(path, errno);
        if (status.exists && sys::openInAnotherProgram(end.path)) cannotReplace(sys::kOpenInAnotherProgram);
        if (openTemporary(path, end.path, status.exists)) return;
    }
    openDirectly(path);
}

// Creates the temporary file; false when the folder may not be written or an
// existing file's owner cannot be kept, and the path is to be written directly.
bool OutputFile::openTemporary(const std::string& path, const std::string& target, bool existing)
{
    const unsigned bits = sys::permissionBits(target, existing);
    std::string temporary;
    fd_ = sys::createTemporaryBeside(target, bits, temporary);
    if (fd_ < 0) {
        if (errno == EACCES || errno == EPERM) return false;
        if (namesNoFile(errno)) throw outputOpenError(path, errno);
        cannotReplace(errno);  // no space, no inode, a quota: never in place instead
    }
    if (existing && !sys::takeOwner(fd_, target)) {
        sys::closeFile(fd_);
        sys::removeFile(temporary);
        fd_ = -1;
        return false;
    }
    target_ = target;
    temporary_ = temporary;
    finalBits_ = bits;
    replacesWhole_ = true;
    return true;
}

void OutputFile::openDirectly(const std::string& path)
{
    fd_ = sys::openForWritingDirectly(path);
    if (fd_ >= 0) {
        cutsBack_ = true;
        return;
    }
    if (errno == sys::kOpenInAnotherProgram) cannotReplace(errno);
    throw outputOpenError(path, errno);
}

void OutputFile::openDescriptor(const std::string& path, int descriptor)
{
    fd_ = sys::duplicateForWriting(descriptor);
    if (fd_ < 0) throw sys::openError(path, errno);
}

OutputFile::~OutputFile() { abandon(); }

void OutputFile::writeLine(std::string_view text, long inputLine)
{
    buffer_.append(text);
    buffer_.append("\r\n");
    lastHeldLine_ = inputLine;
    if (!replacesWhole_) heldLines_.push_back({written_ + buffer_.size(), inputLine});
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
    if (done > 0) completeThrough_ = lastHeldLine_;
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
    if (cutsBack_) sys::cutFile(fd_, keep);  // fails for a device or a pipe: nothing to cut
    buffer_.clear();
    heldLines_.clear();
    abandon();
    throw WriteFailure(sys::errorText(error), completeThrough_);
}

// A temporary file gets its final bits and reaches the disk before it
// replaces the path, and the folder after it: a power cut leaves the old file
// or the whole new one.
void OutputFile::publish()
{
    if (fd_ < 0) return;
    flush();
    if (!temporary_.empty() && !(sys::setPermissionBits(fd_, finalBits_) && sys::syncFile(fd_))) failToPublish(errno);
    const int closed = sys::closeFile(fd_);
    fd_ = -1;
    if (closed != 0) failToPublish(errno);
    if (temporary_.empty()) return;
    if (!sys::replaceFile(temporary_, target_)) failToPublish(errno);
    temporary_.clear();
    sys::syncFolderOf(target_);
}

void OutputFile::failToPublish(int error)
{
    abandon();
    throw WriteFailure(sys::errorText(error), completeThrough_);
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
