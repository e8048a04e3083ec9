#include "run_program.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

namespace {

void applyOptions(const ChildOptions& limits)
{
    for (const std::string& variable : limits.environment) putenv(const_cast<char*>(variable.c_str()));
    if (limits.addressSpace) {
        const rlimit limit{limits.addressSpace, limits.addressSpace};
        setrlimit(RLIMIT_AS, &limit);
    }
    if (limits.fileSize) {
        signal(SIGXFSZ, SIG_IGN);  // stays ignored across exec
        const rlimit limit{limits.fileSize, limits.fileSize};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
}

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const fs::path& workingDirectory, const ChildOptions& options)
{
    const fs::path outPath = fs::temp_directory_path() / ("run-out-" + std::to_string(getpid()));
    const fs::path errPath = fs::temp_directory_path() / ("run-err-" + std::to_string(getpid()));
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int nothing = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0 || chdir(workingDirectory.c_str()) != 0) _exit(127);
        dup2(nothing, 0);
        dup2(out, 1);
        dup2(err, 2);
        applyOptions(options);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath),
                   readFile(errPath)};
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "kovra-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}
