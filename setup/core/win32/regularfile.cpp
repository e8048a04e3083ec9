#include "core/regularfile.h"

#include <windows.h>

#include <system_error>

namespace setup::core {

namespace {

class Win32RegularFile final : public RegularFile {
public:
    explicit Win32RegularFile(HANDLE file) : file_(file) {}
    ~Win32RegularFile() override { CloseHandle(file_); }

    std::size_t read(char* buffer, std::size_t size) override
    {
        DWORD got = 0;
        const auto chunk = static_cast<DWORD>(size > 1u << 30 ? 1u << 30 : size);
        if (!ReadFile(file_, buffer, chunk, &got, nullptr))
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "ReadFile");
        return got;
    }

    std::filesystem::perms permissions() const override { return std::filesystem::perms::unknown; }

private:
    HANDLE file_;
};

}  // namespace

RegularFile::Opened RegularFile::open(const std::filesystem::path& path)
{
    // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS; a device or
    // a pipe does, and is refused by its type.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // A link to nothing still has attributes of its own.
        const bool missing = GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        return {missing ? Status::NotFound : Status::Refused, nullptr};
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return {Status::Refused, nullptr};
    }
    return {Status::Open, std::make_unique<Win32RegularFile>(file)};
}

}  // namespace setup::core
