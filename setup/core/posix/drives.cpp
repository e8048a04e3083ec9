#include <mntent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/locator.h"

namespace setup::core {

namespace {

// A volume a user would browse: a disk or a network share, not one of the
// kernel's own file systems (proc, sysfs, cgroups, devices, run-time state).
bool isUserVolume(const mntent& entry)
{
    const std::string_view device = entry.mnt_fsname;
    const std::string_view root = entry.mnt_dir;
    for (const std::string_view system : {"/proc", "/sys", "/dev", "/run"})
        if (root.substr(0, system.size()) == system && (root.size() == system.size() || root[system.size()] == '/'))
            return false;
    return device.substr(0, 1) == "/" || device.find(':') != std::string_view::npos;
}

}  // namespace

std::vector<std::string> driveRoots()
{
    std::vector<std::string> others;
    const std::unique_ptr<FILE, int (*)(FILE*)> mounts(::setmntent("/proc/self/mounts", "r"), ::endmntent);
    for (mntent* entry = mounts ? ::getmntent(mounts.get()) : nullptr; entry; entry = ::getmntent(mounts.get())) {
        const std::string root = entry->mnt_dir;
        struct statvfs volume;
        std::error_code ec;
        if (root != "/" && isUserVolume(*entry) && std::filesystem::is_directory(root, ec) && ::statvfs(root.c_str(), &volume) == 0)
            others.push_back(root);
    }
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end()), others.end());
    others.insert(others.begin(), "/");
    return others;
}

}  // namespace setup::core
