#include "scratch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cstdlib>
#include <random>
#include <system_error>

namespace {

#ifndef _WIN32
fs::path freshTemporaryFolder()
{
    std::random_device random;
    for (;;) {
        const fs::path folder = fs::temp_directory_path() / ("setup-core-test." + std::to_string(random()));
        if (fs::create_directory(folder))
            return folder;
    }
}
#endif

}  // namespace

#ifdef _WIN32
ScratchDrive::ScratchDrive() : root_("C:\\") {}

ScratchDrive::~ScratchDrive()
{
    std::error_code ec;
    for (const std::string& name : made_)
        if (name != "windows")
            fs::remove_all(root_ / setup::core::fsPath(name), ec);
    fs::remove(root_ / "windows" / "system" / "inpout32.dll", ec);
}
#else
ScratchDrive::ScratchDrive() : root_(freshTemporaryFolder())
{
    ::setenv("RUK_DRIVE_C", root_.c_str(), 1);
}

ScratchDrive::~ScratchDrive()
{
    ::unsetenv("RUK_DRIVE_C");
    std::error_code ec;
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root_, ec);
}
#endif

#ifndef _WIN32
namespace {

void setOrUnset(const char* name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

}  // namespace

ScopedVariable::ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    setOrUnset(name, value);
}

ScopedVariable::~ScopedVariable()
{
    setOrUnset(name_, old_);
}

ScratchHome::ScratchHome() : root_(freshTemporaryFolder()), home_("HOME", root_.string()), winePrefix_("WINEPREFIX", {})
{
}

ScratchHome::~ScratchHome()
{
    std::error_code ec;
    fs::remove_all(root_, ec);
}
#endif

void ScratchDrive::writeSparse(const std::string& relative, const std::string& start, std::uint64_t size) const
{
    write(relative, start);
    const fs::path file = path(relative);
#ifdef _WIN32
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    const bool grown = SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
    CloseHandle(handle);
#else
    const bool grown = ::truncate(file.c_str(), static_cast<off_t>(size)) == 0;
#endif
    if (!grown)
        throw std::system_error(std::make_error_code(std::errc::io_error), "cannot grow " + file.string());
}
