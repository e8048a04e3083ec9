#include "frmMain.h"

#include <filesystem>
#include <memory>
#include <new>

#include "ll2utm.h"
#include "opes.h"
#include "platform/fpcheck.h"
#include "platform/integer.h"
#include "platform/numtext.h"
#include "platform/sysfile.h"
#include "platform/textfile.h"
#include "pointnotes.h"
#include "recordloop.h"
#include "utm2ll.h"

namespace kovra {

namespace {

namespace fs = std::filesystem;
using platform::InputFile;
using platform::OutputFile;
using platform::Reporter;
using platform::RunError;
using platform::trap;
using platform::TrapError;

const char kUsage[] = "usage: kovra INPUT OUTPUT (kovra --help for more)";

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

// The path a file has, or would have once created: symbolic links followed,
// "." and ".." resolved.
fs::path resolved(const fs::path& path)
{
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(path, ec) && !fs::exists(path, ec)) {
        target = fs::read_symlink(path, ec);
        if (target.is_relative()) target = path.parent_path() / target;
    }
    const fs::path canonical = fs::weakly_canonical(fs::absolute(target, ec), ec);
    return ec ? fs::absolute(target).lexically_normal() : canonical;
}

// Whether writing to output would write to the existing file at other.
bool wouldOverwrite(const std::string& outputName, const std::string& otherName)
{
    const fs::path output = platform::sys::filePath(outputName), other = platform::sys::filePath(otherName);
    std::error_code ec;
    if (fs::exists(output, ec) && fs::exists(other, ec)) return fs::equivalent(output, other, ec);
    return resolved(output) == resolved(other);
}

// Takes both paths from the command line and opens the files: the input
// first, so that an input that cannot be read leaves the output untouched,
// and its header, so that an input that is no point file creates nothing.
// The output is refused when it would overwrite the input or the grid.
PointFiles openPointFiles(const std::string& commandLine, Variables& state)
{
    state.spacePos = firstBlank(commandLine);
    if (state.spacePos == 0) throw RunError(0, "");
    state.inputFileName = platform::trimBlanks(commandLine.substr(0, state.spacePos));
    state.outputFileName = platform::trimBlanks(commandLine.substr(state.spacePos));

    PointFiles files;
    files.input = platform::openInputFile(state.inputFileName);
    if (files.input->atEnd())
        throw RunError(platform::kInputPastEnd, "Input file is empty: " + state.inputFileName);
    if (!state.outputFileName.empty() && wouldOverwrite(state.outputFileName, state.inputFileName))
        throw RunError(platform::kPathFileAccess,
                       "Input and output are the same file: " + state.outputFileName);
    if (!state.outputFileName.empty() && wouldOverwrite(state.outputFileName, kGridFileName))
        throw RunError(platform::kPathFileAccess,
                       "Output would overwrite the grid file: " + state.outputFileName);
    state.lineBuffer = files.input->readField(kMaxRecordLength + 1);
    if (state.lineBuffer.size() > kMaxRecordLength) return files;  // refused by the caller
    files.output = std::make_unique<OutputFile>(state.outputFileName);
    return files;
}

std::optional<PointFiles> openFiles(const std::string& commandLine, Variables& state,
                                    const Reporter& report)
{
    std::optional<TrapError> caught;
    std::optional<PointFiles> files;
    try {
        files = trap("openFiles", caught, [&] { return openPointFiles(commandLine, state); });
    } catch (const platform::ReadFailure& failure) {  // the input opened, but its first bytes cannot be read
        report(readFailureText(state.inputFileName, failure.line, failure.what()));
        return std::nullopt;
    }
    if (caught) {
        report(caught->text());
        if (commandLine.find(' ') == std::string::npos) report(kUsage);
    }
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
        output.writeLine("UTM ETRS89 H" + zoneText, 1);
    }
    if (state.lineBuffer.find("ETRS89") != std::string::npos) {
        state.sourceDatum = "ETRS89";
        state.direction = 1;
        output.writeLine("UTM ED50 H" + zoneText, 1);
    }
}

// Splits off the text up to and including the first blank of r; none when r
// holds no blank.
std::optional<std::string_view> takeField(std::string_view& r)
{
    const size_t p = r.find(' ');
    if (p == std::string_view::npos) return std::nullopt;
    const std::string_view field = r.substr(0, p + 1);
    r.remove_prefix(p + 1);
    return field;
}

std::optional<std::string_view> withoutBlank(std::optional<std::string_view> field)
{
    if (field) field->remove_suffix(1);
    return field;
}

// Runs the whole conversion once the files are open, and ends it cleanly
// whatever fails: what was converted is written, and the message says what
// is lost.
RunStatus convertFile(Variables& state, PointFiles& files, const Reporter& messages)
{
    platform::ProgressLine progress(state.inputFileName, files.input->regularFileSize());
    const Reporter report = [&](const std::string& text) {
        progress.erase();
        messages(text);
    };
    const std::string& in = state.inputFileName;
    if (state.lineBuffer.size() > kMaxRecordLength) {
        report(in + ":1: the header is longer than 32767 characters: not a point file");
        return RunStatus::kEndedEarly;
    }
    RunStatus status = RunStatus::kEndedEarly;
    try {
        try {
            readHeader(state, *files.output);
            const LoopResult loop = convertRecords(state, *files.input, *files.output, report, progress,
                                                   conversionThreads(*files.input));
            if (!loop.endedEarly) status = loop.flagged ? RunStatus::kCheckOutput : RunStatus::kAllConverted;
        } catch (const platform::ReadFailure& failure) {
            report(readFailureText(in, failure.line, failure.what()));
        } catch (const std::bad_alloc&) {
            report(in + ":" + std::to_string(files.input->lineNumber()) +
                   ": out of memory; the run ends here");
        }
        progress.erase();
        files.input->close();
        files.output->close();
    } catch (const platform::WriteFailure& failure) {
        report(writeFailureText(state.outputFileName, failure.what(), failure.completeThrough));
        return RunStatus::kEndedEarly;
    }
    return status;
}

}  // namespace

int16_t headerZone(const std::string& header)
{
    const size_t h = header.find('H');
    const std::string digits = h == std::string::npos ? header.substr(0, 2) : header.substr(h + 1, 2);
    return platform::roundToInteger<int16_t>(platform::numericValue(digits));
}

RecordFields splitFields(std::string_view r)
{
    RecordFields fields;
    fields.pointName = takeField(r).value_or(std::string_view());
    fields.easting = withoutBlank(takeField(r));
    fields.northing = withoutBlank(takeField(r));
    fields.lineRest = r;
    return fields;
}

RecordFields leeCadena(std::string_view r, Variables& state)
{
    if (r.size() > kMaxRecordLength)
        throw RunError(platform::kOverflow, "Overflow: record longer than 32767 characters");
    RecordFields fields = splitFields(r);
    state.pointName = fields.pointName;
    const std::string_view easting = fields.easting.value_or(std::string_view());
    const std::string_view northing = fields.northing.value_or(std::string_view());
    const platform::NumberPrefix x = platform::numericPrefix(easting), y = platform::numericPrefix(northing);
    state.coordX = x.value;
    state.coordY = y.value;
    fields.eastingIsNumber = !fields.easting || (!easting.empty() && x.length == easting.size());
    fields.northingIsNumber = !fields.northing || (!northing.empty() && y.length == northing.size());
    state.lineRest = fields.lineRest;
    return fields;
}

std::optional<LonLat> trappedParseSeconds(LonLat seconds, double PI, std::optional<TrapError>& caught)
{
    return trap("parseRadianes", caught, [&] { return parseSeconds(seconds.lon, seconds.lat, PI); });
}

namespace {

PointResult runChain(Variables& state, const Grid& grid)
{
    PointResult result;
    std::optional<TrapError>& caught = result.error;
    const auto geographic =
        trap("utm2ll", caught, [&] { return utm2ll(state.coordX, state.coordY, state); });
    if (!geographic) return result;
    const auto degrees = trap("parseRadianes", caught, [&] {
        return parseRadianes(geographic->lon, geographic->lat, state.PI);
    });
    if (!degrees) return result;
    const auto shifted =
        trap("ed2et", caught, [&] { return ed2et(degrees->lat, degrees->lon, state, grid); });
    if (!shifted) return result;
    result.extrapolated = shifted->extrapolated;
    const auto radians = trappedParseSeconds(shifted->seconds, state.PI, caught);
    if (!radians) return result;
    result.line = trap("ll2utm", caught, [&] {
        return outputLine(state.pointName, ll2utm(radians->lon, radians->lat, state), state.lineRest);
    });
    return result;
}

}  // namespace

PointResult convertPoint(Variables& state, const Grid& grid)
{
    // The whole chain with one test of the floating-point flags at its end;
    // when anything went wrong, once more with every stage's own checks, which
    // find the fault and give the exact message.
    const double easting = state.coordX, northing = state.coordY;
    fp::clearFlags();
    PointResult fast;
    {
        const fp::DeferredChecks deferred;
        fast = runChain(state, grid);
    }
    if (!fast.error && !fp::raisedFlags(fp::kFaults)) return fast;
    state.coordX = easting;
    state.coordY = northing;
    return runChain(state, grid);
}

RecordResult convertRecord(std::string_view record, long lineNumber, Variables& state,
                           const Grid& grid)
{
    RecordResult result;
    std::optional<TrapError> splitError;
    const auto split = trap("leeCadena", splitError, [&] { return leeCadena(record, state); });
    if (!split) {
        result.messages.push_back(MessagePlace{state.inputFileName, lineNumber}.text(splitError->text()));
        result.endsRun = true;
        return result;
    }
    const RecordFields& fields = *split;
    PointResult point = convertPoint(state, grid);
    // The common case, a complete record that converts without a remark.
    const bool complete = fields.northing && fields.eastingIsNumber && fields.northingIsNumber;
    if (complete && !point.error && !point.extrapolated) {
        result.line = std::move(point.line);
        return result;
    }

    const MessagePlace place{state.inputFileName, lineNumber};
    for (std::string& warning : fieldWarnings(place, fields)) result.messages.push_back(std::move(warning));
    const PointLabel label{platform::trimBlanks(state.pointName), missingFieldNote(record, fields)};
    if (point.extrapolated) result.messages.push_back(extrapolationWarning(place, label, *point.extrapolated));
    if (point.error) {
        result.messages.push_back(stageErrorText(place, label, *point.error));
    } else if (!label.note.empty()) {
        result.messages.push_back(place.warning(label.note + label.nameSuffix()));
    }
    result.line = std::move(point.line);
    result.warned = result.messages.size() > 0 && result.line.has_value();
    return result;
}

RunStatus Form_Load(const std::string& commandLine, const Reporter& report)
{
    Variables state;
    auto files = openFiles(commandLine, state, report);
    if (!files) return RunStatus::kEndedEarly;
    state.PI = kProgramPi;
    return convertFile(state, *files, report);
}

}  // namespace kovra
