#include "msgbox.h"

#include <cstdio>

namespace platform {

void messageBox(const std::string& text)
{
    std::fprintf(stderr, "kovra: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace platform
