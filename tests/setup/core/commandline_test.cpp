// setup's command line: --help and --version alone, the toolkit's own options
// let through, and everything else a usage error, worded as GNU programs do.
#include <gtest/gtest.h>

#include "core/commandline.h"

using namespace setup::core;

namespace {

using Action = CommandLine::Action;

constexpr ToolkitOption kToolkit[] = {{"platform", true}, {"style", true}, {"style=", false}, {"reverse", false}};

}  // namespace

TEST(CommandLine, UnknownOptionsAndExtraWordsAreUsageErrorsNotIgnored)
{
    const struct {
        std::vector<std::string> words;
        Action action;
        std::string error;
        std::string platform;
    } cases[] = {
        {{}, Action::Run, "", ""},
        {{"--help"}, Action::Help, "", ""},
        {{"--version"}, Action::Version, "", ""},
        {{"--bogus"}, Action::UsageError, "unrecognized option '--bogus'", ""},
        {{"-x"}, Action::UsageError, "unrecognized option '-x'", ""},
        {{"--hel"}, Action::UsageError, "unrecognized option '--hel'", ""},
        {{"--version", "extra"}, Action::UsageError, "extra operand 'extra'", ""},
        {{"--help", "--version"}, Action::UsageError, "extra operand '--version'", ""},
        {{"--help", "-platform", "offscreen"}, Action::UsageError, "extra operand '-platform'", ""},
        {{"--help=x"}, Action::UsageError, "option '--help' doesn't allow an argument", ""},
        {{"acad.exe"}, Action::UsageError, "extra operand 'acad.exe'", ""},
        {{"-"}, Action::UsageError, "extra operand '-'", ""},
        {{"--"}, Action::Run, "", ""},
        {{"--", "--help"}, Action::UsageError, "extra operand '--help'", ""},
        // The toolkit's options, with one dash or two, and their values.
        {{"-platform", "offscreen"}, Action::Run, "", "offscreen"},
        {{"--platform", "xcb", "-reverse", "-style=fusion", "-style", "-weird"}, Action::Run, "", "xcb"},
        {{"-platform", "offscreen", "--version"}, Action::Version, "", "offscreen"},
        {{"-platform"}, Action::UsageError, "option '-platform' requires an argument", ""},
        {{"-style="}, Action::UsageError, "unrecognized option '-style='", ""},
        {{"-platform=offscreen"}, Action::UsageError, "unrecognized option '-platform=offscreen'", ""},
        {{"-reverse", "later"}, Action::UsageError, "extra operand 'later'", ""},
    };
    for (const auto& [words, action, error, platform] : cases) {
        std::string shown;
        for (const std::string& word : words)
            shown += "[" + word + "]";
        const CommandLine line = parseCommandLine(words, kToolkit);
        EXPECT_EQ(line.action, action) << shown;
        EXPECT_EQ(line.error, error) << shown;
        if (action != Action::UsageError) {
            EXPECT_EQ(line.platform, platform) << shown;
        }
    }
    // Without a toolkit, its options are unknown too (setup.exe).
    EXPECT_EQ(parseCommandLine({"-platform", "offscreen"}).error, "unrecognized option '-platform'");
    EXPECT_EQ(usageMessage("setup", "extra operand 'x'"),
              "setup: extra operand 'x'\nTry 'setup --help' for more information.\n");
}
