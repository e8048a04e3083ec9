#include "core/nativepath.h"

#include <cstdlib>
#include <system_error>

namespace setup::core {

bool isWindowsPath(std::string_view path)
{
    const auto letter = static_cast<unsigned char>(path.empty() ? 0 : path[0]);
    const bool isAsciiLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    return path.size() >= 3 && isAsciiLetter && path[1] == ':' && path[2] == '\\';
}

#ifndef _WIN32
namespace {

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

}  // namespace

std::string wineDriveC()
{
    const char* prefix = std::getenv("WINEPREFIX");
    std::string folder = prefix && *prefix ? prefix : homeFolder() + "/.wine";
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    folder += "/drive_c";
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder : std::string();
}

std::string driveFolder(char letter)
{
    const char drive = static_cast<char>(letter >= 'a' ? letter - 'a' + 'A' : letter);
    const std::string variable = std::string("RUK_DRIVE_") + drive;
    const char* fromEnvironment = std::getenv(variable.c_str());
    if (fromEnvironment && *fromEnvironment)
        return fromEnvironment;
    if (drive == 'C') {
        std::string wine = wineDriveC();
        if (!wine.empty())
            return wine;
    }
    return homeFolder() + "/.ruk/" + drive;
}
#endif

std::string nativePath(std::string_view path)
{
#ifdef _WIN32
    return std::string(path);
#else
    if (!isWindowsPath(path))
        return std::string(path);
    std::string folder = driveFolder(path[0]);
    if (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    std::string rest(path.substr(2));
    for (char& c : rest)
        if (c == '\\')
            c = '/';
    return folder + rest;
#endif
}

std::filesystem::path fsPath(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::filesystem::path normalFolder(std::string_view utf8)
{
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::absolute(fsPath(utf8), ec).lexically_normal();
    if (ec)
        return {};
    if (folder.has_relative_path() && folder.filename().empty())
        folder = folder.parent_path();
    return folder;
}

std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace setup::core
