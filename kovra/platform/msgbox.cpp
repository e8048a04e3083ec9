#include "msgbox.h"

#include <cstdio>

namespace platform {

void messageBox(const std::string& text)
{
    // Written whole: a message may quote a field that holds a NUL byte.
    const std::string line = "kovra: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace platform
