#include "scratch.h"

#include <cstdlib>
#include <random>

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
