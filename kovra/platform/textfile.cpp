#include "textfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "runtime_error.h"

namespace platform {

namespace {

// A RunError for a failed open of path, from errno.
[[noreturn]] void throwOpenError(const std::string& path)
{
    const int code = errno;
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

InputFile::InputFile(const std::string& path) : file_(nullptr)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        errno = EISDIR;
        throwOpenError(path);
    }
    file_ = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file_) throwOpenError(path);
}

InputFile::~InputFile() { close(); }

bool InputFile::atEnd()
{
    const int c = std::getc(file_);
    if (c == EOF) return true;
    std::ungetc(c, file_);
    return false;
}

std::string InputFile::readField()
{
    std::string field;
    int c = std::getc(file_);
    while (c == ' ') c = std::getc(file_);
    for (; c != EOF; c = std::getc(file_)) {
        if (c == ',' || c == '\n') break;
        if (c == '\r') {
            const int next = std::getc(file_);
            if (next != '\n' && next != EOF) std::ungetc(next, file_);
            break;
        }
        field += static_cast<char>(c);
    }
    return field;
}

void InputFile::close()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

OutputFile::OutputFile(const std::string& path) : file_(nullptr), path_(path)
{
    file_ = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (!file_ && errno == ENOENT) throw RunError(kPathNotFound, "Path not found: " + path);
    if (!file_) throwOpenError(path);
}

OutputFile::~OutputFile()
{
    if (file_) std::fclose(file_);
}

void OutputFile::writeLine(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2)
        throw RunError(kPathFileAccess, "Cannot write to " + path_ + ": " + std::strerror(errno));
}

void OutputFile::close()
{
    if (!file_) return;
    const bool failed = std::fclose(file_) != 0;
    file_ = nullptr;
    if (failed)
        throw RunError(kPathFileAccess, "Cannot write to " + path_ + ": " + std::strerror(errno));
}

}  // namespace platform
