// kovra INPUT OUTPUT: converts a file of UTM points between ED50 and ETRS89
// through the NTv2 grid "mirtaxo.gsb" of the working directory.
#include <cstdio>
#include <new>
#include <string>

#include "frmMain.h"
#include "platform/cmdline.h"
#include "platform/msgbox.h"

namespace {

const char kHelp[] = R"HELP(usage: kovra INPUT OUTPUT

Converts a file of UTM points from ED50 to ETRS89 or back, through the NTv2
grid-shift file "mirtaxo.gsb" in the working directory.

INPUT   point file: a header line naming the datum ("ED50" or "ETRS89") and the
        zone after an "H" (e.g. "UTM ED50 H30"), then one point per line:
        name, easting, northing, each followed by one blank, then the rest of
        the line (heights, codes), which is copied unchanged.
OUTPUT  created or replaced: the header of the other datum, then one line per
        converted point (CR LF line ends). Everything after the first blank of
        the command line is the output path.

The grid is read and checked once, before the first point; a grid that is
missing, damaged or not NTv2 is named in one message, and no point is
converted with it. An output that would overwrite the input or the grid is
refused.

Messages go to standard error, one line each. A message about a point starts
with the input's name and line ("in.txt:12: Error ed2et: outside the grid
(point V7)"); a point whose conversion fails gets no output line and the run
goes on. Warnings ("in.txt:7: warning: easting "44O720.512" read as 44") mark
points that were converted but need a look.

Exit status: 0 every point converted and nothing to check; 1 a point skipped
or a warning given; 2 the run ended early (files not opened or refused, a
record not split, the input not read or the output not written).

  kovra --help      this text
  kovra --version   the version
)HELP";

}  // namespace

int main(int argc, char** argv)
{
    const std::string line = platform::commandLine(argc, argv);
    if (line == "--help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (line == "--version") {
        std::puts("kovra " RUK_VERSION);
        return 0;
    }
    try {
        return static_cast<int>(kovra::Form_Load(line, platform::messageBox));
    } catch (const std::bad_alloc&) {
        // The run loop ends itself cleanly on a failed allocation; this is for
        // one before it started.
        platform::messageBox("out of memory; the run ends here");
        return static_cast<int>(kovra::RunStatus::kEndedEarly);
    }
}
