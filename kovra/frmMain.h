// The batch driver of kovra, the whole run: the command line, both point
// files, the header (read by header.h) and the record loop (recordloop.h).
#pragma once

#include <string>

#include "platform/msgbox.h"

namespace kovra {

// How a run ended, as the program's exit status.
enum class RunStatus : int {
    kAllConverted = 0,  // every record produced its line, and nothing needs a look
    kCheckOutput = 1,   // a point was skipped, or a warning was given
    kEndedEarly = 2,    // the files could not be opened, a record could not be
                        // split, or the input could not be read or the output written
    kInterrupted = 128, // and the number of the signal that ended the run
};

// The whole run for a command line "INPUT OUTPUT" (the text after the program's
// name). Messages go to report, in the order in which they arise. A run that
// got as far as the header and said anything ends with its summary, which
// goes to summarize: how many point records were read and converted, and
// how many warnings were given.
RunStatus Form_Load(const std::string& commandLine, const platform::Reporter& report,
                    const platform::Reporter& summarize);

}  // namespace kovra
