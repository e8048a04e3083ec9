#include "frmMain.h"

#include <filesystem>
#include <memory>

#include "ed2et.h"
#include "ll2utm.h"
#include "opes.h"
#include "platform/integer.h"
#include "platform/numtext.h"
#include "platform/textfile.h"
#include "platform/trap.h"
#include "utm2ll.h"

namespace kovra {

namespace {

using platform::InputFile;
using platform::OutputFile;
using platform::Reporter;
using platform::RunError;
using platform::trap;

constexpr int kMaxRecordLength = 32767;

struct PointFiles {
    std::unique_ptr<InputFile> input;    // handle 3
    std::unique_ptr<OutputFile> output;  // handle 2
};

// 1-based position of the first blank, 0 when there is none.
int16_t firstBlank(const std::string& text)
{
    const size_t p = text.find(' ');
    return p == std::string::npos ? 0 : platform::checked16(static_cast<long long>(p) + 1);
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

// Takes both paths from the command line and opens the files, the input first
// so that an input that cannot be read leaves the output untouched.
PointFiles openPointFiles(const std::string& commandLine, Variables& state)
{
    state.spacePos = firstBlank(commandLine);
    if (state.spacePos == 0) throw RunError(0, "");
    state.inputFileName = platform::trimBlanks(commandLine.substr(0, state.spacePos));
    state.outputFileName = platform::trimBlanks(commandLine.substr(state.spacePos));

    PointFiles files;
    files.input = std::make_unique<InputFile>(state.inputFileName);
    if (files.input->atEnd())
        throw RunError(platform::kInputPastEnd, "Input file is empty: " + state.inputFileName);
    if (sameFile(state.inputFileName, state.outputFileName))
        throw RunError(platform::kPathFileAccess,
                       "Input and output are the same file: " + state.outputFileName);
    files.output = std::make_unique<OutputFile>(state.outputFileName);
    return files;
}

std::optional<PointFiles> openFiles(const std::string& commandLine, Variables& state,
                                    const Reporter& report)
{
    auto files = trap("openFiles", report, [&] { return openPointFiles(commandLine, state); });
    if (!files && state.spacePos == 0) report("usage: kovra INPUT OUTPUT (kovra --help for more)");
    return files;
}

// Sets zone, direction and sourceDatum from the header and writes the output
// header line of each datum that it names.
void readHeader(Variables& state, OutputFile& output)
{
    state.zone = headerZone(state.lineBuffer);
    state.direction = -1;
    const std::string zoneText = platform::trimBlanks(platform::numberText(state.zone));
    if (state.lineBuffer.find("ED50") != std::string::npos) {
        state.direction = 0;
        state.sourceDatum = "ED50";
        output.writeLine("UTM ETRS89 H" + zoneText);
    }
    if (state.lineBuffer.find("ETRS89") != std::string::npos) {
        state.sourceDatum = "ETRS89";
        state.direction = 1;
        output.writeLine("UTM ED50 H" + zoneText);
    }
}

// Splits off the text up to and including the first blank of r; empty when r
// holds no blank.
std::string takeField(std::string& r)
{
    const size_t p = r.find(' ');
    if (p == std::string::npos) return {};
    std::string field = r.substr(0, p + 1);
    r.erase(0, p + 1);
    return field;
}

// The record loop; false when a record could not be split and the run ended.
bool convertRecords(Variables& state, PointFiles& files, const GridFile& grid, const Reporter& report,
                    bool& skipped)
{
    const LineWriter writeLine = [&](const std::string& line) { files.output->writeLine(line); };
    bool gridMissingReported = false;
    while (!files.input->atEnd()) {
        state.lineBuffer = files.input->readField();
        if (!trap("leeCadena", report, [&] { return leeCadena(state.lineBuffer, state), true; }))
            return false;
        if (convertPoint(state, grid, writeLine, report)) continue;
        skipped = true;
        if (grid.missing() && !gridMissingReported) {
            report("grid file \"" + grid.fileName() +
                   "\" not found in the working directory: no point can be shifted");
            gridMissingReported = true;
        }
    }
    return true;
}

}  // namespace

int16_t headerZone(const std::string& header)
{
    const size_t h = header.find('H');
    const std::string digits = h == std::string::npos ? header.substr(0, 2) : header.substr(h + 1, 2);
    return platform::roundToInteger<int16_t>(platform::numericValue(digits));
}

void leeCadena(std::string r, Variables& state)
{
    if (r.size() > kMaxRecordLength)
        throw RunError(platform::kOverflow, "Overflow: record longer than 32767 characters");
    state.pointName = takeField(r);
    state.coordX = platform::numericValue(takeField(r));
    state.coordY = platform::numericValue(takeField(r));
    state.lineRest = r;
}

bool convertPoint(Variables& state, const GridFile& grid, const LineWriter& writeLine,
                  const Reporter& report)
{
    const auto geographic =
        trap("utm2ll", report, [&] { return utm2ll(state.coordX, state.coordY, state); });
    if (!geographic) return false;
    const auto degrees = trap("parseRadianes", report, [&] {
        return parseRadianes(geographic->lon, geographic->lat, state.PI);
    });
    if (!degrees) return false;
    const auto shifted =
        trap("ed2et", report, [&] { return ed2et(degrees->lat, degrees->lon, state, grid); });
    if (!shifted) return false;
    const auto radians = trap("parseRadianes", report, [&] {
        return parseSeconds(shifted->lon, shifted->lat, state.PI);
    });
    if (!radians) return false;
    return trap("ll2utm", report, [&] {
               const EastNorth point = ll2utm(radians->lon, radians->lat, state);
               writeLine(outputLine(state.pointName, point, state.lineRest));
               return true;
           }).has_value();
}

RunStatus Form_Load(const std::string& commandLine, const Reporter& report)
{
    Variables state;
    auto files = openFiles(commandLine, state, report);
    if (!files) return kEndedEarly;
    state.PI = kProgramPi;
    state.lineBuffer = files->input->readField();

    const GridFile grid(kGridFileName);
    bool skipped = false;
    const auto completed = trap("Form_Load", report, [&] {
        readHeader(state, *files->output);
        const bool allRead = convertRecords(state, *files, grid, report, skipped);
        files->input->close();
        files->output->close();
        return allRead;
    });
    if (!completed || !*completed) return kEndedEarly;
    return skipped ? kSomeSkipped : kAllConverted;
}

}  // namespace kovra
