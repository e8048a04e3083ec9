// A whole run on arbitrary bytes. The first byte picks what comes before the
// rest of the input: nothing, an ED50 header line or an ETRS89 one. The run
// converts "in.txt" to "out.txt" with a small valid grid in a private working
// directory, once on one thread and once on three; both must give the same
// exit status, messages and output bytes. Every message must have one of the
// program's own forms, with line numbers in order; a run that said anything
// after its header ends with a summary whose counts are those of its records,
// output lines and warnings; the output must hold the header lines the
// input's header asks for, then one well-formed line per converted record
// (name, easting, northing, rest, CR LF), in input order, each one taken from
// a record whose conversion was not reported as failed; the exit status must
// agree with the messages, and the input stays as it was.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "frmMain.h"
#include "header.h"
#include "fuzz_support.h"
#include "ntv2_writer.h"

namespace {

using fuzz::require;

constexpr std::size_t kMaxRecord = 32767;

// Two sub-grids over central Spain, the second finer and inside the first, with
// smooth shifts of a realistic size (arc-seconds; longitude shift positive west).
void writeGrid(const std::string& path)
{
    auto node = [](double lat, double lonWest) {
        const double u = (lat - 144000) / 18000, v = (lonWest - 10800) / 10800;
        return ntv2::Node{static_cast<float>(-3.9 + 0.25 * u - 0.1 * v + 0.05 * u * v),
                          static_cast<float>(4.7 - 0.1 * u + 0.2 * v + 0.05 * u * u)};
    };
    ntv2::Grid grid;
    grid.subGrids.push_back(ntv2::regularSubGrid(136800, 0, 1800, 1800, 9, 13, node));  // 38..42 N, 0..6 W
    ntv2::SubGrid fine = ntv2::regularSubGrid(142200, 9000, 300, 300, 13, 13, node);   // 39.5..40.5 N, 2.5..3.5 W
    fine.name = "FINE";
    grid.subGrids.push_back(fine);
    ntv2::writeGrid(path, grid);
}

struct Field {
    std::string text;
    long line;
};

// The fields of a point file as the program reads them: blanks at the start
// skipped, each ended by a comma, LF, CR LF or CR; a field over the longest
// record is cut there, and reading ends with it. After the header, a line
// that holds nothing or only blanks is no field.
std::vector<Field> fieldsOf(std::string_view bytes)
{
    std::vector<Field> fields;
    std::size_t i = 0;
    long line = 1;
    bool afterComma = false;
    while (i < bytes.size()) {
        while (i < bytes.size() && bytes[i] == ' ') ++i;
        Field f{{}, line};
        while (i < bytes.size() && bytes[i] != ',' && bytes[i] != '\n' && bytes[i] != '\r') f.text += bytes[i++];
        if (f.text.size() > kMaxRecord) {
            fields.push_back(std::move(f));
            break;
        }
        const bool startedLine = !afterComma;
        afterComma = i < bytes.size() && bytes[i] == ',';
        if (i < bytes.size()) {
            const char separator = bytes[i++];
            if (separator == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
            if (separator != ',') ++line;
        }
        const bool emptyLine = f.text.empty() && startedLine && !afterComma;
        if (fields.empty() || !emptyLine) fields.push_back(std::move(f));
    }
    return fields;
}

struct Run {
    int status;
    std::vector<std::string> messages;
    std::optional<std::string> output;  // none when no output file was made
};

Run runOnce(const fuzz::ScratchDir& dir, const char* threads)
{
    std::remove((dir / "out.txt").c_str());
    setenv("KOVRA_THREADS", threads, 1);
    Run run;
    {
        const fuzz::InDirectory inside(dir.path());
        const platform::Reporter report = [&](const std::string& text) { run.messages.push_back(text); };
        run.status = static_cast<int>(kovra::Form_Load("in.txt out.txt", report, report));
    }
    std::string bytes;
    if (fuzz::readBytes(dir / "out.txt", bytes)) run.output = std::move(bytes);
    return run;
}

const std::regex& messageForm()
{
    static const std::string name = "[^ ]+";
    static const std::string number = "-?[0-9]+(\\.[0-9]+)?";
    static const std::string note =
        "(empty record|name, easting and northing missing: each field needs a blank after it"
        "|easting and northing missing: each needs a blank after it"
        "|northing missing: put a blank or a further field after it)(; tabs do not separate fields)?";
    static const std::string part = "the part (after|before) the comma at column [0-9]+";
    static const std::string onlyPart = "( \\(" + part + "\\))?";
    static const std::string who = "(point " + name + "(, " + part + ")?|" + part + ")";
    static const std::string details = "( \\(" + who + "(; " + note + ")?\\)| \\(" + note + "\\))?";
    static const std::string seconds = "[0-9]+(\\.[0-9]+)?\"";
    static const std::regex form(
        "Error openFiles: Input file is empty: in\\.txt"
        "|in\\.txt:1: the header is longer than 32767 characters: not a point file"
        "|in\\.txt is UTF-16 text: save it as ANSI or UTF-8"
        "|in\\.txt:1: warning: the header names (neither|both) .*"
        "|in\\.txt:1: warning: (the zone is read|the header has no \"H\").*"
        "|in\\.txt:1: warning: the first line, the header, is empty: .*"
        "|in\\.txt:1: warning: the comma at column [0-9]+ ends the header \".*\": the rest of the line is read as "
        "point records"
        "|in\\.txt:[0-9]+: Error leeCadena: Overflow(: record longer than 32767 characters)?"
        "; the run ends here: no record after it was converted"
        "|in\\.txt:[0-9]+: Error (utm2ll|parseRadianes|ed2et|ll2utm): "
        "(Overflow|Division by zero|Invalid floating-point operation|Subscript out of range"
        "|Footpoint latitude did not converge|outside the grid)" + details +
        "|in\\.txt:[0-9]+: warning: the comma at column [0-9]+ ends the record \".*\": the rest of the line is read "
        "as further records; the decimal separator is \"\\.\""
        "|in\\.txt:[0-9]+: warning: (easting|northing) \"[^ ]*\" read as " + number + onlyPart +
        "|in\\.txt:[0-9]+: warning: (easting|northing) \"[^ ]*\" holds a tab, which does not separate fields: "
        "read as " + number + "(; \"[^ ]*\" after the tab is not in the output)?" + onlyPart +
        "|in\\.txt:[0-9]+: warning: the name \"[^ ]*\" holds a tab, which does not separate fields" + onlyPart +
        "|in\\.txt:[0-9]+: warning: shift of " + name + " extrapolated (" + seconds + " south|" + seconds +
        " east|" + seconds + " south and " + seconds + " east) of sub-grid \"(SUBGRID|FINE)\"" + onlyPart +
        "|in\\.txt:[0-9]+: warning: (" + name + "|the point) lies [0-9]+\\.[0-9]{3} degrees \\([0-9]+\\.[0-9] km\\) "
        "(west|east) of the central meridian of zone -?[0-9]+; the projection holds to 1 mm within 3\\.463 degrees "
        "of it only" + onlyPart +
        "|in\\.txt:[0-9]+: warning: " + note + "( \\(" + who + "\\))?");
    return form;
}

bool startsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

// A message that ends the run: by its form, not by text it may quote.
bool endsTheRun(const std::string& message)
{
    static const std::regex ending(
        "Error openFiles: .*|in\\.txt:1: the header is longer than .*|in\\.txt is UTF-16 text: .*"
        "|in\\.txt:[0-9]+: Error leeCadena: .*");
    return std::regex_match(message, ending);
}

// The input line a message names; 0 for one that names none.
long lineOf(const std::string& message)
{
    if (!startsWith(message, "in.txt:")) return 0;
    return std::strtol(message.c_str() + 7, nullptr, 10);
}

bool isCoordinate(std::string_view text)
{
    static const std::regex form("-?[0-9]+(\\.[0-9]{1,3})?");
    return std::regex_match(text.begin(), text.end(), form);
}

// The record a point line comes from: the name up to the first blank, then
// easting, northing and the rest as the record split gives them.
bool lineFromRecord(std::string_view line, std::string_view record)
{
    const std::size_t nameEnd = record.find(' ');
    if (nameEnd == std::string_view::npos) return false;
    std::string_view rest = record.substr(nameEnd + 1);
    for (int field = 0; field < 2; ++field) {
        const std::size_t blank = rest.find(' ');
        if (blank != std::string_view::npos) rest.remove_prefix(blank + 1);
    }
    const std::string_view name = record.substr(0, nameEnd);
    if (line.substr(0, name.size() + 1) != std::string(name) + " ") return false;
    std::string_view coordinates = line.substr(name.size() + 1);
    if (coordinates.size() < rest.size() + 1 || coordinates.substr(coordinates.size() - rest.size()) != rest)
        return false;
    coordinates.remove_suffix(rest.size() + 1);
    if (line[line.size() - rest.size() - 1] != ' ') return false;
    const std::size_t blank = coordinates.find(' ');
    return blank != std::string_view::npos && isCoordinate(coordinates.substr(0, blank)) &&
           isCoordinate(coordinates.substr(blank + 1));
}

// The counts of a run's summary, its last message; none when the message is
// no summary.
struct Summary {
    long records = 0, converted = 0, warnings = 0;
    long endLine = 0;  // the line the run ended at; 0 when it read every record
};

std::optional<Summary> summaryOf(const std::string& message)
{
    static const std::regex none("in\\.txt: no point records after the header, ([0-9]+) warnings?");
    static const std::regex counts(
        "in\\.txt: ([0-9]+) of ([0-9]+) points? converted, ([0-9]+) not converted, ([0-9]+) warnings?"
        "(; the run ended at line ([0-9]+))?");
    std::smatch m;
    const auto number = [&](int i) { return m[i].matched ? std::stol(m[i].str()) : 0L; };
    if (std::regex_match(message, m, none)) return Summary{0, 0, number(1), 0};
    if (!std::regex_match(message, m, counts)) return std::nullopt;
    require(number(2) - number(1) == number(3), "a summary whose counts do not add up", message);
    return Summary{number(2), number(1), number(4), number(6)};
}

void checkRun(const Run& run, std::string_view input)
{
    const std::vector<Field> fields = fieldsOf(input);
    const long lastLine = fields.empty() ? 0 : fields.back().line;
    // Per input line: records, stage errors, output lines.
    std::vector<int> records(lastLine + 1), errors(lastLine + 1), outputs(lastLine + 1);
    for (std::size_t i = 1; i < fields.size(); ++i) ++records[fields[i].line];

    std::vector<std::string> messages = run.messages;
    std::optional<Summary> summary;
    if (!messages.empty() && (summary = summaryOf(messages.back()))) messages.pop_back();

    static const std::regex stageError("in\\.txt:[0-9]+: Error .*");
    static const std::regex warning("in\\.txt:[0-9]+: warning: .*");
    long previousLine = 0, endLine = 0, warnings = 0;
    bool ended = false;
    for (const std::string& message : messages) {
        require(std::regex_match(message, messageForm()), "a message in none of the program's forms", message);
        require(!ended, "a message after the one that ended the run", message);
        ended = endsTheRun(message);
        const long line = lineOf(message);
        require(line >= previousLine, "messages out of input order", message);
        require(line <= lastLine, "a message names a line past the input", message);
        previousLine = line;
        if (ended) endLine = line;
        else if (std::regex_match(message, stageError)) ++errors[line];
        warnings += std::regex_match(message, warning);
    }
    require(run.status == (ended ? 2 : run.messages.empty() ? 0 : 1), "the exit status does not fit the messages");

    if (fields.empty() || kovra::notAPointFile(fields[0].text, "in.txt")) {
        require(!run.output, "an output made for an input that is no point file");
        require(!summary, "a summary for a run that did not start");
        return;
    }
    require(run.output.has_value(), "no output for a run that started");
    require(summary.has_value() == !run.messages.empty(), "a summary missing, or one for a run that said nothing");
    if (summary) {
        require(summary->warnings == warnings, "a summary that miscounts the warnings", run.messages.back());
        require(summary->endLine == endLine, "a summary that says the run ended elsewhere", run.messages.back());
        const long recordFields = static_cast<long>(fields.size()) - 1;
        require(ended ? summary->records <= recordFields : summary->records == recordFields,
                "a summary that miscounts the records", run.messages.back());
    }
    const std::string& out = *run.output;

    // The header lines, then one line per converted record.
    const std::string& header = fields[0].text;
    const std::string zone = std::to_string(kovra::headerZone(header));
    std::vector<std::string> expectedHeader;
    if (header.find("ED50") != std::string::npos) expectedHeader.push_back("UTM ETRS89 H" + zone);
    if (header.find("ETRS89") != std::string::npos) expectedHeader.push_back("UTM ED50 H" + zone);

    std::size_t at = 0, lineIndex = 0, record = 1;
    while (at < out.size()) {
        const std::size_t end = out.find("\r\n", at);
        require(end != std::string::npos, "an output line without CR LF", out.substr(at));
        const std::string_view line(out.data() + at, end - at);
        require(line.find_first_of("\r\n") == std::string_view::npos, "a line end inside an output line");
        if (lineIndex < expectedHeader.size()) {
            require(line == expectedHeader[lineIndex], "a wrong output header line", line);
        } else {
            // The first record that fits, on an input line that still has a
            // record without an error message (the messages name lines only).
            while (record < fields.size() && (outputs[fields[record].line] + errors[fields[record].line] >=
                                                  records[fields[record].line] ||
                                              !lineFromRecord(line, fields[record].text)))
                ++record;
            require(record < fields.size(), "an output line that comes from no record, or out of order", line);
            ++outputs[fields[record].line];
            ++record;
        }
        ++lineIndex;
        at = end + 2;
    }
    require(lineIndex >= expectedHeader.size(), "output header lines missing");
    const long pointLines = static_cast<long>(lineIndex - expectedHeader.size());
    require(!summary || summary->converted == pointLines, "a summary that miscounts the converted points");

    // Each record gives a line or an error, up to the record that ended the run.
    for (long line = 1; line <= lastLine; ++line) {
        const int settled = outputs[line] + errors[line];
        require(settled <= records[line], "more lines and errors than records on an input line");
        if (!ended || line < endLine)
            require(settled == records[line], "a record neither converted nor reported");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fuzz::ScratchDir scratch;
    static const bool gridWritten = (writeGrid(scratch / "mirtaxo.gsb"), true);
    (void)gridWritten;
    if (size == 0) return 0;

    static const char* const headers[] = {"", "UTM ED50 H30\r\n", "UTM ETRS89 H30\r\n"};
    std::string input = headers[data[0] % 3];
    input.append(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::writeBytes(scratch / "in.txt", input.data(), input.size());

    const Run serial = runOnce(scratch, "1");
    const Run threaded = runOnce(scratch, "3");
    require(serial.status == threaded.status, "one thread and three end differently");
    require(serial.messages == threaded.messages, "one thread and three give different messages");
    require(serial.output == threaded.output, "one thread and three give different output");
    checkRun(serial, input);

    std::string after;
    require(fuzz::readBytes(scratch / "in.txt", after) && after == input, "the input was changed");
    return 0;
}
