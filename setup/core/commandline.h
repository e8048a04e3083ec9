#pragma once
// setup's command line: nothing, --help or --version, and the options of the
// toolkit a front end is built on, which the toolkit reads itself.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup::core {

// An option of the toolkit, written after one dash or two ("-platform",
// "--platform"). Its value is the next word, or, for a name that ends in "=",
// the rest of the same word ("-style=fusion").
struct ToolkitOption {
    std::string_view name;  // without the dashes
    bool takesNextWord;
};

struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action;
    // UsageError: what is wrong, worded as GNU programs word it
    // ("unrecognized option '--bogus'").
    std::string error;
    // The value of the toolkit option "platform" when one was given.
    std::string platform;
};

// The words after the program's name. --help or --version is the whole
// command line, or comes after toolkit options only; every word after it is
// an extra operand. setup takes no operands, and any option that is neither
// its own nor the toolkit's is unrecognized.
CommandLine parseCommandLine(const std::vector<std::string>& words, std::span<const ToolkitOption> toolkitOptions = {});

// The two lines a usage error prints: "program: error" and where to look.
std::string usageMessage(std::string_view program, std::string_view error);

}  // namespace setup::core
