#include "frmMain.h"

#include <filesystem>
#include <memory>
#include <new>

#include "Variables.h"
#include "grid.h"
#include "header.h"
#include "platform/integer.h"
#include "platform/interrupt.h"
#include "platform/numtext.h"
#include "platform/outputfile.h"
#include "platform/sysfile.h"
#include "platform/textfile.h"
#include "platform/trap.h"
#include "pointnotes.h"
#include "record.h"
#include "recordloop.h"

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

// The input of a run, open, and the header read from it; and the output's path.
struct OpenInput {
    std::string inputFileName, outputFileName;
    std::unique_ptr<InputFile> input;  // handle 3
    std::string header;
};

// Both files of a run, open: the output is opened only for an input whose
// header was read and makes it a point file. The input and its header are
// taken from opened, whose names stay, so that a failed open of the output
// can still name both files.
struct PointFiles : OpenInput {
    explicit PointFiles(OpenInput& opened)
        : OpenInput{opened.inputFileName, opened.outputFileName, std::move(opened.input), std::move(opened.header)},
          output(outputFileName)
    {
    }
    OutputFile output;  // handle 2
};

// 1-based position of the first blank, 0 when there is none.
int16_t firstBlank(const std::string& text)
{
    const size_t p = text.find(' ');
    return p == std::string::npos ? 0 : platform::checked16(static_cast<long long>(p) + 1);
}

// The path a file has, or would have once created: the links at its end
// followed as the output's open follows them, "." and ".." resolved.
fs::path resolved(const std::string& path)
{
    const fs::path end = platform::sys::filePath(platform::sys::linkEnd(path).path);
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(end, ec), ec);
    return ec ? fs::absolute(end).lexically_normal() : canonical;
}

// Whether writing to output would write to the file at other, or create it.
bool wouldOverwrite(const std::string& outputName, const std::string& otherName)
{
    const fs::path output = platform::sys::filePath(outputName), other = platform::sys::filePath(otherName);
    std::error_code ec;
    if (fs::exists(output, ec) && fs::exists(other, ec)) return fs::equivalent(output, other, ec);
    return resolved(outputName) == resolved(otherName);
}

// Takes both paths from the command line, opens the input and reads its
// header. The input is opened first, so that an input that cannot be read
// leaves the output untouched; the output is refused when it would overwrite
// the input or the grid. What is known is kept in opened as it comes, so that
// a failed read can name the input.
void openInput(const std::string& commandLine, OpenInput& opened)
{
    const int16_t spacePos = firstBlank(commandLine);
    if (spacePos == 0) throw RunError(0, "");
    opened.inputFileName = platform::trimBlanks(commandLine.substr(0, spacePos));
    opened.outputFileName = platform::trimBlanks(commandLine.substr(spacePos));
    const std::string& in = opened.inputFileName;
    const std::string& out = opened.outputFileName;

    opened.input = platform::openInputFile(in);
    if (opened.input->atEnd()) throw RunError(platform::kInputPastEnd, "Input file is empty: " + in);
    if (!out.empty() && wouldOverwrite(out, in))
        throw RunError(platform::kPathFileAccess, "Input and output are the same file: " + out);
    if (!out.empty() && wouldOverwrite(out, kGridFileName))
        throw RunError(platform::kPathFileAccess, "Output would overwrite the grid file: " + out);
    opened.header = opened.input->readField(kMaxRecordLength + 1);
}

// How many words a command line holds, runs of characters between blanks.
int wordCount(const std::string& commandLine)
{
    int words = 0;
    for (std::size_t i = 0; i < commandLine.size(); ++i)
        if (commandLine[i] != ' ' && (i == 0 || commandLine[i - 1] == ' ')) ++words;
    return words;
}

// What to tell a user whose input is not there, when the command line may
// have meant an input path with a blank in it. (On Windows "my in.txt" keeps
// its quote, which no file name can hold: there is no such file either.)
std::optional<std::string> blankInInputHint(const std::string& commandLine, const OpenInput& opened)
{
    if (wordCount(commandLine) <= 2 || platform::sys::statusOf(opened.inputFileName).exists) return std::nullopt;
    return "the input path ends at the first blank (an input path cannot hold one); everything after it, \"" +
           opened.outputFileName + "\", is the output path";
}

// Both files of the command line, open; none when they cannot be opened or
// the input is no point file (nothing is written for one), which is then said.
std::unique_ptr<PointFiles> openFiles(const std::string& commandLine, const Reporter& report)
{
    std::optional<TrapError> caught;
    std::optional<std::string> refusal;
    OpenInput opened;
    std::unique_ptr<PointFiles> files;
    try {
        trap("openFiles", caught, [&] {
            openInput(commandLine, opened);
            refusal = notAPointFile(opened.header, opened.inputFileName);
            if (!refusal) files = std::make_unique<PointFiles>(opened);
        });
    } catch (const platform::ReadFailure& failure) {  // the input opened, but its first bytes cannot be read
        report(readFailureText(opened.inputFileName, failure.line, failure.what()));
        return nullptr;
    } catch (const platform::WriteFailure& failure) {  // the output's path cannot be replaced; nothing written
        report(writeFailureText(failure.what(), {opened.outputFileName, true, 0}));
        return nullptr;
    }
    if (refusal) report(*refusal);
    if (!caught) return files;
    report(caught->text());
    if (commandLine.find(' ') == std::string::npos) report(kUsage);
    if (const std::optional<std::string> hint = blankInInputHint(commandLine, opened)) report(*hint);
    return nullptr;
}

RunStatus interrupted(const platform::Interrupted& interruption)
{
    return static_cast<RunStatus>(static_cast<int>(RunStatus::kInterrupted) + interruption.signal());
}

// What an output that is not published leaves at its path.
OutputLeft left(const PointFiles& files)
{
    return {files.outputFileName, files.output.replacesWhole(), files.output.completeThrough()};
}

// The grid for the records of a run, and what is wrong with it: a grid no
// point can be shifted through is told of (each point then fails), a remark
// is a warning.
Grid openGrid(const Reporter& report, const Reporter& warn)
{
    Grid grid = Grid::open(kGridFileName);
    if (!grid.problem().empty()) report(grid.problem());
    for (const std::string& remark : grid.remarks()) warn(remark);
    return grid;
}

// Converts every record after the header through the grid, which is opened
// once there is a record to convert: a run without records needs none.
void convertBody(PointFiles& files, const RunSettings& run, const Reporter& report, const Reporter& warn,
                 platform::ProgressLine& progress, unsigned threads, LoopResult& loop)
{
    files.input->skipEmptyLines();
    if (files.input->atEnd()) return;
    const Grid grid = openGrid(report, warn);
    const RecordConverter convert = [&](std::string_view record, const MessagePlace& place) {
        return convertRecord(record, place, run, grid);
    };
    convertRecords(run.inputFileName, convert, *files.input, files.output, report, progress, threads, loop);
}

// Runs the whole conversion once the files are open, and ends it cleanly
// whatever happens: a run that finishes, or ends at a record that cannot be
// split, publishes its output; one that cannot finish abandons it and says
// what the output's path holds. end says how it ended.
RunStatus runConversion(PointFiles& files, const Reporter& report, const Reporter& warn,
                        platform::ProgressLine& progress, LoopResult& loop, RunEnd& end)
{
    const std::string& in = files.inputFileName;
    end = RunEnd::kFailed;
    try {
        const ThreadChoice threads = conversionThreads(*files.input);
        if (!threads.warning.empty()) warn(threads.warning);
        const HeaderReading header = readHeader(files.header, in);
        for (const std::string& line : header.outputLines) files.output.writeLine(line, 1);
        // Nothing has been read since the header: the input still knows the comma that ended it.
        const long headerComma = files.input->endingComma();
        for (const std::string& warning : headerWarnings(files.header, header.run, headerComma)) warn(warning);
        convertBody(files, header.run, report, warn, progress, threads.count, loop);
        progress.erase();
        files.output.publish();
        end = loop.endedEarly ? RunEnd::kAtRecord : RunEnd::kFinished;
        if (loop.endedEarly) return RunStatus::kEndedEarly;
        return loop.count.flagged() ? RunStatus::kCheckOutput : RunStatus::kAllConverted;
    } catch (const platform::WriteFailure& failure) {
        report(writeFailureText(failure.what(), left(files)));
    } catch (const platform::ReadFailure& failure) {
        files.output.abandon();
        report(readFailureText(in, failure.line, failure.what(), left(files)));
    } catch (const std::bad_alloc&) {
        files.output.abandon();
        report(outOfMemoryText(in, loop.lastLine, left(files)));
    } catch (const platform::Interrupted& interruption) {
        files.output.abandon();
        report(interruptedText(left(files)));
        end = RunEnd::kInterrupted;
        return interrupted(interruption);
    }
    return RunStatus::kEndedEarly;
}

// The run once the files are open, and, when it said anything, its summary.
RunStatus convertFile(PointFiles& files, const Reporter& messages, const Reporter& summarize)
{
    platform::ProgressLine progress(files.inputFileName, files.input->regularFileSize());
    bool said = false;
    const Reporter report = [&](const std::string& text) {
        progress.erase();
        messages(text);
        said = true;
    };
    LoopResult loop;
    const Reporter warn = [&](const std::string& text) {
        report(text);
        ++loop.count.warnings;
    };
    RunEnd end = RunEnd::kFailed;
    const RunStatus status = runConversion(files, report, warn, progress, loop, end);
    if (said) summarize(summaryText(files.inputFileName, loop.count, end, loop.lastLine));
    return status;
}

}  // namespace

RunStatus Form_Load(const std::string& commandLine, const Reporter& report, const Reporter& summarize)
{
    std::unique_ptr<PointFiles> files;
    try {
        files = openFiles(commandLine, report);
    } catch (const platform::Interrupted& interruption) {  // while a FIFO's open waited for its other end
        report("interrupted: nothing was written");
        return interrupted(interruption);
    }
    if (!files) return RunStatus::kEndedEarly;
    return convertFile(*files, report, summarize);
}

}  // namespace kovra
