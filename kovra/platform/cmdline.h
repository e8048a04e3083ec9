// The process command line as one string: the text after the program's name.
//
// On Linux the shell has already split the line and removed the separators:
// the arguments after the program's name are joined by single blanks.
//
// On Windows a program receives its command line as one text, which it is
// given unchanged: the program's name is skipped as Windows itself reads it
// (up to the closing quote when it starts with one, else up to the first
// blank or tab), then the blanks and tabs after it. Everything else stays as
// typed, runs of blanks and double quotes included. The text is turned from
// UTF-16 into UTF-8, the encoding every path of the program is in.
#pragma once

#include <string>
#include <string_view>

#ifdef _WIN32
#include "win32/text.h"
#endif

namespace platform {

// The text of a Windows command line after the program's name and the blanks
// and tabs that separate it from the rest.
template <class Char>
std::basic_string_view<Char> textAfterProgramName(std::basic_string_view<Char> line)
{
    std::size_t i = 0;
    if (!line.empty() && line[0] == Char('"')) {
        const std::size_t close = line.find(Char('"'), 1);
        i = close == line.npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != Char(' ') && line[i] != Char('\t')) ++i;
    }
    while (i < line.size() && (line[i] == Char(' ') || line[i] == Char('\t'))) ++i;
    return line.substr(i);
}

#ifdef _WIN32

inline std::string commandLine(int, char**)
{
    return win32::narrow(textAfterProgramName(std::wstring_view(GetCommandLineW())));
}

#else

inline std::string commandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

#endif

}  // namespace platform
