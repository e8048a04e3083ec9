#include "header.h"

#include "platform/integer.h"
#include "platform/numtext.h"
#include "pointnotes.h"
#include "record.h"

namespace kovra {

namespace {

constexpr int kHighestZone = 60;

bool names(const std::string& header, const char* datum) { return header.find(datum) != std::string::npos; }

// Text saved as UTF-16: a byte-order mark, or a NUL in every other byte.
bool isUtf16(const std::string& header)
{
    if (header.starts_with("\xff\xfe") || header.starts_with("\xfe\xff")) return true;
    if (header.size() < 4) return false;
    bool evenNul = true, oddNul = true;
    for (std::size_t i = 0; i < header.size(); ++i) (i % 2 ? oddNul : evenNul) &= header[i] == '\0';
    return evenNul || oddNul;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The characters that name the zone: the two after the first "H", or the
// first two when the header has no "H".
std::string zoneCharacters(const std::string& header)
{
    const std::size_t h = header.find('H');
    return h == std::string::npos ? header.substr(0, 2) : header.substr(h + 1, 2);
}

// The warning about a zone that is not two digits from 01 to 60 right after
// the first "H" (or, without one, at the start); empty when it is.
std::string zoneWarning(const std::string& header, int16_t zone)
{
    const std::string read = zoneCharacters(header);
    if (read.size() == 2 && isDigit(read[0]) && isDigit(read[1]) && zone >= 1 && zone <= kHighestZone) return {};
    const std::string where = header.find('H') == std::string::npos
                                  ? "the header has no \"H\": the zone is read from its first two characters"
                                  : "the zone is read from the two characters after the first \"H\"";
    return where + ", \"" + read + "\", as " + std::to_string(zone) +
           ": write it as two digits from 01 to 60 right after an \"H\", as in \"H30\"";
}

}  // namespace

std::optional<std::string> notAPointFile(const std::string& header, const std::string& inputName)
{
    if (header.size() > kMaxRecordLength)
        return inputName + ":1: the header is longer than " + std::to_string(kMaxRecordLength) +
               " characters: not a point file";
    if (isUtf16(header)) return inputName + " is UTF-16 text: save it as ANSI or UTF-8";
    return std::nullopt;
}

int16_t headerZone(const std::string& header)
{
    return platform::roundToInteger<int16_t>(platform::numericValue(zoneCharacters(header)));
}

HeaderReading readHeader(const std::string& header, const std::string& inputName)
{
    HeaderReading reading;
    RunSettings& run = reading.run;
    run.inputFileName = inputName;
    run.PI = kProgramPi;
    run.zone = headerZone(header);
    run.direction = -1;
    const std::string zoneText = platform::trimBlanks(platform::numberText(run.zone));
    if (names(header, "ED50")) {
        run.direction = 0;
        run.sourceDatum = "ED50";
        reading.outputLines.push_back("UTM ETRS89 H" + zoneText);
    }
    if (names(header, "ETRS89")) {
        run.sourceDatum = "ETRS89";
        run.direction = 1;
        reading.outputLines.push_back("UTM ED50 H" + zoneText);
    }
    return reading;
}

std::vector<std::string> headerWarnings(const std::string& header, const RunSettings& run, long endingComma)
{
    const MessagePlace place{run.inputFileName, 1, 0, endingComma};
    const std::string withoutDatum =
        "the points are converted from ETRS89 to ED50 on the International 1924 ellipsoid on both sides";
    if (header.empty() && endingComma == 0)
        return {place.warning("the first line, the header, is empty: " + withoutDatum +
                              ", in zone 0, and no header line is written; put the header (as \"UTM ED50 H30\") on "
                              "the first line")};
    std::vector<std::string> warnings;
    if (endingComma > 0) warnings.push_back(commaWarning(place, header, true));
    const bool ed50 = names(header, "ED50"), etrs89 = names(header, "ETRS89");
    if (!ed50 && !etrs89)
        warnings.push_back(place.warning("the header names neither \"ED50\" nor \"ETRS89\" (written so, in capitals): " +
                                         withoutDatum + ", and no header line is written"));
    if (ed50 && etrs89)
        warnings.push_back(place.warning("the header names both \"ED50\" and \"ETRS89\": the points are converted "
                                         "from ETRS89 to ED50, and both header lines are written"));
    if (const std::string zone = zoneWarning(header, run.zone); !zone.empty()) warnings.push_back(place.warning(zone));
    return warnings;
}

}  // namespace kovra
