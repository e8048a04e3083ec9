// The process command line as one string: the arguments after the program's
// name joined by single blanks (the shell has already removed the separators).
#pragma once

#include <string>

namespace platform {

inline std::string commandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace platform
