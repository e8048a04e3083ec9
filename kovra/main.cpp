// kovra INPUT OUTPUT: converts a file of UTM points between ED50 and ETRS89
// through the NTv2 grid "mirtaxo.gsb" of the working directory.
#include <cstdio>
#include <new>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "frmMain.h"
#include "kovra_help.h"
#include "platform/cmdline.h"
#include "platform/interrupt.h"
#include "platform/msgbox.h"

int main(int argc, char** argv)
{
    platform::openMissingStandardStreams();
    platform::installInterruptHandlers();
#ifdef _WIN32
    // Lines end in LF alone, as on Linux: no CR added on standard output and error.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::string line = platform::commandLine(argc, argv);
    if (line == "--help") {
        std::fputs(help::kText, stdout);  // the text of the manual page kovra(1)
        return 0;
    }
    if (line == "--version") {
        std::puts("kovra " RUK_VERSION);
        return 0;
    }
    kovra::RunStatus status = kovra::RunStatus::kEndedEarly;
    std::string summary;
    try {
        status = kovra::Form_Load(line, platform::messageBox, [&](const std::string& text) { summary = text; });
    } catch (const std::bad_alloc&) {
        // The run loop ends itself cleanly on a failed allocation; this is for
        // one before it started.
        platform::messageBox("out of memory; the run ends here");
    }
    platform::showSummary(summary);
    return static_cast<int>(status);
}
