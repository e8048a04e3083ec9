#include "core/pendingfile.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace setup::core {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNewSuffix = ".new";
constexpr std::size_t kMostDigits = 6;

}  // namespace

fs::path PendingFile::newName(const fs::path& target, unsigned number)
{
    fs::path name = target;
    name += std::string(kNewSuffix) + std::to_string(number % 1000000);
    return name;
}

bool PendingFile::isNameFor(const fs::path& target, const fs::path& name)
{
    const std::u8string start = target.filename().u8string() + std::u8string(kNewSuffix.begin(), kNewSuffix.end());
    const std::u8string candidate = name.filename().u8string();
    if (candidate.size() <= start.size() || candidate.size() > start.size() + kMostDigits ||
        candidate.compare(0, start.size(), start) != 0)
        return false;
    return std::all_of(candidate.begin() + static_cast<std::ptrdiff_t>(start.size()), candidate.end(),
                       [](char8_t c) { return c >= u8'0' && c <= u8'9'; });
}

void PendingFile::removeLeftovers(const fs::path& target)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (isNameFor(target, it->path()) && it->symlink_status(kind).type() == fs::file_type::regular)
            removeLeftover(it->path());
    }
}

}  // namespace setup::core
