// Runs a program in a working directory with an exact argument list and
// collects its exit status, standard output and standard error.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

// Resource limits of the child, in bytes (0 leaves a limit as it is), and
// variables added to its environment ("NAME=value").
struct ChildOptions {
    unsigned long long addressSpace = 0;  // RLIMIT_AS
    unsigned long long fileSize = 0;      // RLIMIT_FSIZE; SIGXFSZ is ignored, so writes fail with EFBIG
    std::vector<std::string> environment;
};

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& workingDirectory, const ChildOptions& options = {});

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh empty directory under the system's temporary folder, removed again
// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};
