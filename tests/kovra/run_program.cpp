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
    unsetenv("KOVRA_THREADS");  // a run's settings come from its test, not from the caller's shell
    for (const std::string& variable : limits.environment) putenv(const_cast<char*>(variable.c_str()));
    if (limits.addressSpace) {
        const rlimit limit{limits.addressSpace, limits.addressSpace};
        setrlimit(RLIMIT_AS, &limit);
    }
    if (limits.fileSize) {
        signal(SIGXFSZ, SIG_DFL);  // the program itself must keep the signal from ending it
        const rlimit limit{limits.fileSize, limits.fileSize};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
}

}  // namespace

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args,
                               const fs::path& workingDirectory, const ChildOptions& options,
                               const ChildSetup& setup)
{
    static int started = 0;
    const std::string tag = std::to_string(getpid()) + "-" + std::to_string(++started);
    outPath_ = fs::temp_directory_path() / ("run-out-" + tag);
    errPath_ = fs::temp_directory_path() / ("run-err-" + tag);
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int nothing = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0 || chdir(workingDirectory.c_str()) != 0) _exit(127);
        dup2(nothing, 0);
        dup2(out, 1);
        dup2(err, 2);
        applyOptions(options);
        if (setup) setup();
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

StartedProgram::~StartedProgram()
{
    if (pid_ > 0) wait();
}

ProgramRun StartedProgram::wait()
{
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    ProgramRun run{WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), readFile(outPath_),
                   readFile(errPath_)};
    fs::remove(outPath_);
    fs::remove(errPath_);
    return run;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const fs::path& workingDirectory, const ChildOptions& options, const ChildSetup& setup)
{
    return StartedProgram(program, args, workingDirectory, options, setup).wait();
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
