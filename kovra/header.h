// The header, the first field of a point file: the zone and the datum it
// names, the output's header lines it calls for, and what it leaves to chance.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Variables.h"

namespace kovra {

// Why an input is no point file at all, judged by its header (too long, or
// UTF-16 text); none when it may be one. Nothing is written for such a file.
std::optional<std::string> notAPointFile(const std::string& header, const std::string& inputName);

// The zone named by a header: the two characters after its first "H" (or its
// first two when it has no "H"), rounded half to even into 16 bits.
int16_t headerZone(const std::string& header);

// What a header gives a run: its settings (zone, direction and sourceDatum),
// and the output's header lines, one for each datum it names ("UTM ETRS89 H"
// and the zone for ED50, then "UTM ED50 H" and the zone for ETRS89).
struct HeaderReading {
    RunSettings run;
    std::vector<std::string> outputLines;
};

HeaderReading readHeader(const std::string& header, const std::string& inputName);

// The warnings about a header that a comma cut short (endingComma: the
// comma's column, 0 for none), that is empty, that names neither datum or
// both, or whose zone is not two digits from 01 to 60: what the run makes of it.
std::vector<std::string> headerWarnings(const std::string& header, const RunSettings& run, long endingComma);

}  // namespace kovra
