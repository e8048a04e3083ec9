#include "core/pendingfile.h"

#include <windows.h>

#include <random>
#include <string>
#include <system_error>

namespace setup::core {

namespace {

[[noreturn]] void throwLastError(const char* what)
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

// An existing target that is a folder or read-only is refused before anything
// is written, as writing it in place would be. A symbolic link is neither:
// the link itself is replaced.
void refuseUnreplaceable(const std::filesystem::path& target)
{
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        throwLastError("GetFileAttributes");
    }
}

class Win32PendingFile final : public PendingFile {
public:
    explicit Win32PendingFile(const std::filesystem::path& target) : PendingFile(target)
    {
        refuseUnreplaceable(target);
        std::random_device random;
        for (int attempt = 0; file_ == INVALID_HANDLE_VALUE; ++attempt) {
            name_ = newName(target, random()).wstring();
            file_ = CreateFileW(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file_ == INVALID_HANDLE_VALUE && (GetLastError() != ERROR_FILE_EXISTS || attempt == 100))
                throwLastError("CreateFile");
        }
    }

    ~Win32PendingFile() override
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        if (!committed_)
            DeleteFileW(name_.c_str());
    }

    void write(std::string_view bytes) override
    {
        while (!bytes.empty()) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(bytes.size() > 1u << 30 ? 1u << 30 : bytes.size());
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written == 0)
                throwLastError("WriteFile");
            bytes.remove_prefix(written);
        }
    }

    void commit() override
    {
        if (!FlushFileBuffers(file_))
            throwLastError("FlushFileBuffers");
        const HANDLE file = file_;
        file_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(file))
            throwLastError("CloseHandle");
        if (!MoveFileExW(name_.c_str(), target().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throwLastError("MoveFileEx");
        committed_ = true;
    }

private:
    std::wstring name_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool committed_ = false;
};

}  // namespace

// A pending file is open without sharing while it is written, so the removal
// of one that a running program still writes fails, and it stays.
void PendingFile::removeLeftover(const std::filesystem::path& file)
{
    DeleteFileW(file.c_str());
}

// Windows has no permission bits to give the new file.
std::unique_ptr<PendingFile> PendingFile::create(const std::filesystem::path& target, std::filesystem::perms)
{
    return std::make_unique<Win32PendingFile>(target);
}

}  // namespace setup::core
