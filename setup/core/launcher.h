#pragma once

#include <string>

namespace setup::core {

class ProcessStarter;

// What the splash does when its timer fires.
struct Launch {
    enum class Next {
        End,     // the stored program has started: setup ends at once
        Wizard,  // no usable stored program: the wizard opens and the splash closes
    };
    Next next;
    // The first line of the path file when it could be read (the splash keeps
    // it in Label4), else empty.
    std::string storedPath;
    // A warning to show before the wizard opens, empty for none. A missing
    // path file or a stored program that no longer exists give none: that is
    // the first run, or AutoCAD was moved, and the wizard is the answer.
    std::string warning;
};

// Reads the path file and starts the program named on its first line.
Launch launchStoredProgram(ProcessStarter& starter);

}  // namespace setup::core
