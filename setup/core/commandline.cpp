#include "core/commandline.h"

namespace setup::core {

namespace {

std::string quoted(std::string_view word)
{
    std::string text;
    text.reserve(word.size() + 2);
    text.append(1, '\'').append(word).append(1, '\'');
    return text;
}

// The toolkit option that word is, or nullptr.
const ToolkitOption* toolkitOption(std::string_view word, std::span<const ToolkitOption> options)
{
    if (word.size() < 2 || word[0] != '-')
        return nullptr;
    const std::string_view name = word.substr(word[1] == '-' ? 2 : 1);
    for (const ToolkitOption& option : options) {
        const bool joined = option.name.ends_with('=');
        if (joined ? name.starts_with(option.name) && name.size() > option.name.size() : name == option.name)
            return &option;
    }
    return nullptr;
}

CommandLine usageError(std::string error)
{
    return {CommandLine::Action::UsageError, std::move(error), {}};
}

// A word that is neither the toolkit's nor after --help or --version.
CommandLine misplaced(std::string_view word)
{
    for (const std::string_view own : {"--help", "--version"})
        if (word.starts_with(own) && word.size() > own.size() && word[own.size()] == '=')
            return usageError("option " + quoted(own) + " doesn't allow an argument");
    if (word.size() > 1 && word[0] == '-' && word != "--")
        return usageError("unrecognized option " + quoted(word));
    return usageError("extra operand " + quoted(word));
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& words, std::span<const ToolkitOption> toolkitOptions)
{
    CommandLine line{CommandLine::Action::Run, {}, {}};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (line.action != CommandLine::Action::Run)
            return usageError("extra operand " + quoted(word));
        if (word == "--help" || word == "--version") {
            line.action = word == "--help" ? CommandLine::Action::Help : CommandLine::Action::Version;
            continue;
        }
        if (word == "--") {  // the end of the options: what follows is operands
            if (i + 1 < words.size())
                return usageError("extra operand " + quoted(words[i + 1]));
            continue;
        }
        const ToolkitOption* option = toolkitOption(word, toolkitOptions);
        if (!option)
            return misplaced(word);
        if (!option->takesNextWord)
            continue;
        if (++i == words.size())
            return usageError("option " + quoted(word) + " requires an argument");
        if (option->name == "platform")
            line.platform = words[i];
    }
    return line;
}

std::string usageMessage(std::string_view program, std::string_view error)
{
    const std::string name(program);
    return name + ": " + std::string(error) + "\nTry '" + name + " --help' for more information.\n";
}

}  // namespace setup::core
