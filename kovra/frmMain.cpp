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

// The two paths of the command line, their files once open, and the header
// read from the input.
struct PointFiles {
    int16_t spacePos = 0;  // 1-based position of the first blank of the command line
    std::string inputFileName, outputFileName;
    std::unique_ptr<InputFile> input;    // handle 3
    std::unique_ptr<OutputFile> output;  // handle 2; none for an input that is no point file
    std::string lineBuffer;              // the header
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
void openPointFiles(const std::string& commandLine, PointFiles& files)
{
    files.spacePos = firstBlank(commandLine);
    if (files.spacePos == 0) throw RunError(0, "");
    files.inputFileName = platform::trimBlanks(commandLine.substr(0, files.spacePos));
    files.outputFileName = platform::trimBlanks(commandLine.substr(files.spacePos));
    const std::string& in = files.inputFileName;
    const std::string& out = files.outputFileName;

    files.input = platform::openInputFile(in);
    if (files.input->atEnd()) throw RunError(platform::kInputPastEnd, "Input file is empty: " + in);
    if (!out.empty() && wouldOverwrite(out, in))
        throw RunError(platform::kPathFileAccess, "Input and output are the same file: " + out);
    if (!out.empty() && wouldOverwrite(out, kGridFileName))
        throw RunError(platform::kPathFileAccess, "Output would overwrite the grid file: " + out);
    files.lineBuffer = files.input->readField(kMaxRecordLength + 1);
    if (notAPointFile(files.lineBuffer, in)) return;  // refused by the caller
    files.output = std::make_unique<OutputFile>(out);
}

std::optional<PointFiles> openFiles(const std::string& commandLine, const Reporter& report)
{
    std::optional<TrapError> caught;
    PointFiles files;
    try {
        trap("openFiles", caught, [&] { openPointFiles(commandLine, files); });
    } catch (const platform::ReadFailure& failure) {  // the input opened, but its first bytes cannot be read
        report(readFailureText(files.inputFileName, failure.line, failure.what()));
        return std::nullopt;
    }
    if (!caught) return files;
    report(caught->text());
    if (commandLine.find(' ') == std::string::npos) report(kUsage);
    return std::nullopt;
}

RunStatus interrupted(const platform::Interrupted& interruption)
{
    return static_cast<RunStatus>(static_cast<int>(RunStatus::kInterrupted) + interruption.signal());
}

// What an output that is not published leaves at its path.
OutputLeft left(const PointFiles& files)
{
    return {files.outputFileName, files.output->replacesWhole(), files.output->completeThrough()};
}

// Runs the whole conversion once the files are open, and ends it cleanly
// whatever happens: a run that finishes, or ends at a record that cannot be
// split, publishes its output; one that cannot finish abandons it and says
// what the output's path holds.
RunStatus convertFile(PointFiles& files, const Reporter& messages)
{
    platform::ProgressLine progress(files.inputFileName, files.input->regularFileSize());
    const Reporter report = [&](const std::string& text) {
        progress.erase();
        messages(text);
    };
    const std::string& in = files.inputFileName;
    if (const std::optional<std::string> refusal = notAPointFile(files.lineBuffer, in)) {
        report(*refusal);
        return RunStatus::kEndedEarly;
    }
    LoopResult loop;
    const auto warn = [&](const std::string& text) {
        report(text);
        loop.flagged = true;
    };
    try {
        const ThreadChoice threads = conversionThreads(*files.input);
        if (!threads.warning.empty()) warn(threads.warning);
        const RunSettings run = readHeader(files.lineBuffer, in, *files.output);
        for (const std::string& warning : headerWarnings(files.lineBuffer, run)) warn(warning);
        convertRecords(run, *files.input, *files.output, report, progress, threads.count, loop);
        progress.erase();
        files.output->publish();
        if (loop.endedEarly) return RunStatus::kEndedEarly;
        return loop.flagged ? RunStatus::kCheckOutput : RunStatus::kAllConverted;
    } catch (const platform::WriteFailure& failure) {
        report(writeFailureText(failure.what(), left(files)));
    } catch (const platform::ReadFailure& failure) {
        files.output->abandon();
        report(readFailureText(in, failure.line, failure.what(), left(files)));
    } catch (const std::bad_alloc&) {
        files.output->abandon();
        report(outOfMemoryText(in, loop.lastLine, left(files)));
    } catch (const platform::Interrupted& interruption) {
        files.output->abandon();
        report(interruptedText(left(files)));
        return interrupted(interruption);
    }
    return RunStatus::kEndedEarly;
}

}  // namespace

RunStatus Form_Load(const std::string& commandLine, const Reporter& report)
{
    std::optional<PointFiles> files;
    try {
        files = openFiles(commandLine, report);
    } catch (const platform::Interrupted& interruption) {  // while a FIFO's open waited for its other end
        report("interrupted: nothing was written");
        return interrupted(interruption);
    }
    if (!files) return RunStatus::kEndedEarly;
    return convertFile(*files, report);
}

}  // namespace kovra
