#include "core/locator.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "core/messages.h"
#include "core/nativepath.h"

namespace setup::core {

namespace fs = std::filesystem;

namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names in the order a Windows list shows them: letters without regard to
// case, then (for names equal so far) byte by byte.
bool listOrder(const std::string& a, const std::string& b)
{
    const auto folded = [](char x, char y) { return asciiLower(x) < asciiLower(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded))
        return false;
    return a < b;
}

// "*" matches any run of characters, "?" any one; letters match without regard to case.
bool matchesPattern(std::string_view name, std::string_view pattern)
{
    if (pattern.empty())
        return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip)
            if (matchesPattern(name.substr(skip), pattern.substr(1)))
                return true;
        return false;
    }
    if (name.empty() || (pattern[0] != '?' && asciiLower(pattern[0]) != asciiLower(name[0])))
        return false;
    return matchesPattern(name.substr(1), pattern.substr(1));
}

// Whether root is path or one of its ancestors; drive letters and names are
// compared without regard to case on Windows.
bool holds(std::string_view root, std::string_view path)
{
    std::string prefix(root);
    if (!prefix.empty() && prefix.back() != '/' && prefix.back() != kSeparator)
        prefix += kSeparator;
    auto same = [](char a, char b) {
#ifdef _WIN32
        return asciiLower(a) == asciiLower(b);
#else
        return a == b;
#endif
    };
    const auto startsWith = [&](std::string_view text, std::string_view start) {
        return text.size() >= start.size() && std::equal(start.begin(), start.end(), text.begin(), same);
    };
    return (root.size() == path.size() && startsWith(path, root)) || startsWith(path, prefix);
}

bool isReadableFolder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return false;
#ifndef _WIN32
    // A folder without search permission lists names whose entries cannot be reached.
    if (::access(folder.c_str(), R_OK | X_OK) != 0)
        return false;
#endif
    fs::directory_iterator probe(folder, ec);
    return !ec;
}

std::vector<std::string> namesIn(const fs::path& folder, bool (*wanted)(const fs::directory_entry&))
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (wanted(*it))
            names.push_back(utf8Of(it->path().filename()));
    std::sort(names.begin(), names.end(), listOrder);
    return names;
}

bool isVisibleFolder(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_directory(ec) && utf8Of(entry.path().filename()).front() != '.';
}

bool isFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_regular_file(ec);
}

}  // namespace

std::optional<std::string> acceptSelection(std::string_view folder, std::string_view selected, MessageBoxes& boxes)
{
    if (selected != kExecutable) {
        warn(boxes, "Ruta incorrecta");
        return std::nullopt;
    }
    const char separator = isWindowsPath(folder) ? '\\' : kSeparator;
    return std::string(folder) + separator + std::string(kExecutable);
}

std::string windowsFormOf(std::string_view folder, const std::vector<Drive>& drives)
{
    if (drives.empty())
        return std::string(folder);
    const Drive& drive = drives[driveOf(folder, drives)];
    if (drive.root == drive.rootName || !isWindowsPath(drive.rootName) || !holds(drive.root, folder))
        return std::string(folder);
    std::string rest(folder.substr(std::min(drive.root.size(), folder.size())));
    rest.erase(0, rest.find_first_not_of("/\\"));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    std::string windows = drive.rootName;
    if (windows.back() != '\\')
        windows += '\\';
    return windows + rest;
}

std::size_t driveOf(std::string_view path, const std::vector<Drive>& drives)
{
    std::size_t best = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const std::string& root = drives[i].root;
        if (holds(root, path) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

std::optional<FolderView> listFolder(std::string_view path, const std::vector<Drive>& drives)
{
    fs::path folder = normalFolder(path);
    if (folder.empty() || !isReadableFolder(folder))
        return std::nullopt;
    folder.make_preferred();

    // The chain of open folders, from the drive's root down to the current one.
    fs::path current = folder.root_path();
    std::string rootName = utf8Of(current);
    const Drive drive = drives.empty() ? Drive{} : drives[driveOf(utf8Of(folder), drives)];
    if (!drive.root.empty() && holds(drive.root, utf8Of(folder))) {
        current = normalFolder(drive.root).make_preferred();
        rootName = drive.rootName;
    }
    fs::path below = folder.lexically_relative(current);
    if (below.empty()) {  // the drive's root written otherwise (another case of its letter)
        current = folder.root_path();
        rootName = utf8Of(current);
        below = folder.relative_path();
    }
    FolderView view;
    view.path = utf8Of(folder);
    view.entries.push_back({rootName, utf8Of(current), 0, true});
    int depth = 0;
    for (const fs::path& part : below) {
        if (part == "." || part.empty())
            continue;
        current /= part;
        view.entries.push_back({utf8Of(part), utf8Of(current), ++depth, true});
    }
    for (const std::string& name : namesIn(folder, isVisibleFolder))
        view.entries.push_back({name, utf8Of(folder / fsPath(name)), depth + 1, false});
    return view;
}

std::vector<std::string> matchingFiles(std::string_view folder, std::string_view pattern)
{
    std::vector<std::string> names = namesIn(fsPath(folder), isFile);
    std::erase_if(names, [&](const std::string& name) { return !matchesPattern(name, pattern); });
    return names;
}

std::string unreadableDrive(std::string_view drive)
{
    return "No se puede leer la unidad " + std::string(drive);
}

std::string unreadableFolder(std::string_view folder)
{
    return "No se puede leer la carpeta " + std::string(folder);
}

}  // namespace setup::core
