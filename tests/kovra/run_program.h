// Runs a program in a working directory with an exact argument list and
// collects its exit status, standard output and standard error.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
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
    unsigned long long fileSize = 0;      // RLIMIT_FSIZE; SIGXFSZ left at its default, as `ulimit -f` leaves it
    std::vector<std::string> environment;
};

// Runs in the child just before the program is started in it: to close a
// descriptor, change the user, set a further limit.
using ChildSetup = std::function<void()>;

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& workingDirectory, const ChildOptions& options = {},
                      const ChildSetup& setup = {});

// A program started in the background; its run is collected by wait(), or
// by the destructor.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& workingDirectory, const ChildOptions& options = {},
                   const ChildSetup& setup = {});
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status, or 128 + the signal's number for a program a signal ended.
    ProgramRun wait();

private:
    pid_t pid_ = -1;
    std::filesystem::path outPath_, errPath_;
};

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
