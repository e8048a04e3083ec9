// What the fuzz targets share: a private scratch folder and a check that
// stops the process on a broken property, so that the fuzzer keeps the input.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace fuzz {

// Stops with a message; libFuzzer (and the replay driver) see a crash.
[[noreturn]] inline void fail(const char* what, std::string_view detail = {})
{
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    if (!detail.empty()) std::fprintf(stderr, "  detail: %.*s\n", static_cast<int>(detail.size()), detail.data());
    std::abort();
}

inline void require(bool holds, const char* what, std::string_view detail = {})
{
    if (!holds) fail(what, detail);
}

// A fresh folder under the temporary directory for the life of the process.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "kovra-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) fail("cannot create a scratch folder");
        path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) fail("cannot write a scratch file", path);
}

inline bool readBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// Runs a body in another working directory and comes back, whatever it throws.
class InDirectory {
public:
    explicit InDirectory(const std::filesystem::path& dir) : back_(::open(".", O_RDONLY | O_DIRECTORY))
    {
        if (back_ < 0 || ::chdir(dir.c_str()) != 0) fail("cannot enter the scratch folder");
    }
    ~InDirectory()
    {
        if (::fchdir(back_) != 0) std::abort();
        ::close(back_);
    }
    InDirectory(const InDirectory&) = delete;
    InDirectory& operator=(const InDirectory&) = delete;

private:
    int back_;
};

}  // namespace fuzz
