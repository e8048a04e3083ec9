#include <mntent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/locator.h"
#include "core/nativepath.h"

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

// The drives that Windows paths are mapped onto: C: always, and every other
// letter whose variable is set.
std::vector<Drive> mappedDrives()
{
    std::vector<Drive> drives;
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home && *home ? normalFolder(home).string() : "";
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string variable = std::string("RUK_DRIVE_") + letter;
        const char* set = std::getenv(variable.c_str());
        if (letter != 'C' && !(set && *set))
            continue;
        const std::string folder = normalFolder(driveFolder(letter)).string();
        // The home folder shown as "~", as a shell does.
        std::string shown = folder;
        if (!homeFolder.empty() && homeFolder != "/" && shown.rfind(homeFolder, 0) == 0 &&
            (shown.size() == homeFolder.size() || shown[homeFolder.size()] == '/'))
            shown.replace(0, homeFolder.size(), "~");
        drives.push_back({std::string(1, letter) + ": (" + shown + ")", folder, std::string(1, letter) + ":\\"});
    }
    return drives;
}

}  // namespace

std::vector<Drive> listDrives()
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
    std::vector<Drive> drives = mappedDrives();
    for (const std::string& root : others)
        drives.push_back({root, root, root});
    return drives;
}

}  // namespace setup::core
