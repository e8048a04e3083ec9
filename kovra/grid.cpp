#include "grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/integer.h"
#include "platform/numtext.h"
#include "platform/sysfile.h"

namespace kovra {

namespace {

using platform::BinFile;

constexpr int64_t kLabelBytes = 8;
constexpr int kUnusableGridError = 321;  // "Invalid file format"
constexpr const char* kNoShift = ": no point can be shifted";

// Where each header's labels stand and its values follow (8 bytes after the
// label's start). The overview labels that name systems vary between
// producers; those below are the same in every NTv2 file.
struct Label {
    int64_t at;
    const char* name;
};
constexpr Label kOverviewLabels[] = {{0, "NUM_OREC"}, {16, "NUM_SREC"}, {32, "NUM_FILE"}};
constexpr Label kSubGridLabels[] = {{0, "SUB_NAME"},   {16, "PARENT"},    {64, "S_LAT"},
                                    {80, "N_LAT"},     {96, "E_LONG"},    {112, "W_LONG"},
                                    {128, "LAT_INC"},  {144, "LONG_INC"}, {160, "GS_COUNT"}};
constexpr int64_t kNumFileAt = 32 + kLabelBytes;
constexpr int64_t kGsTypeAt = 48 + kLabelBytes;
constexpr int64_t kVersionAt = 64 + kLabelBytes;
constexpr int64_t kSubNameAt = 0 + kLabelBytes;
constexpr int64_t kSLatAt = 64 + kLabelBytes, kNLatAt = 80 + kLabelBytes;
constexpr int64_t kELongAt = 96 + kLabelBytes, kWLongAt = 112 + kLabelBytes;
constexpr int64_t kLatIncAt = 128 + kLabelBytes, kLongIncAt = 144 + kLabelBytes;
constexpr int64_t kGsCountAt = 160 + kLabelBytes;

// Rows or columns of nodes over a span: round half to even, plus one. The sum
// is formed exactly in double, so only a count beyond 32 bits overflows.
int32_t nodeCount(double spacings)
{
    return platform::roundToInteger<int32_t>(std::nearbyint(spacings) + 1);
}

// An 8-byte text field without the blanks or NULs that pad it.
std::string textAt(const BinFile& file, int64_t offset)
{
    unsigned char raw[8];
    file.read(offset, raw, sizeof raw);
    std::string text(reinterpret_cast<const char*>(raw), sizeof raw);
    const size_t end = text.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// A text from the file as a message shows it: other bytes than printable
// characters as \xNN, and all eight bytes when it is blank.
std::string shown(const BinFile& file, int64_t offset)
{
    std::string text = textAt(file, offset);
    const std::size_t length = text.empty() ? 8 : text.size();
    unsigned char raw[8];
    file.read(offset, raw, sizeof raw);
    text.clear();
    for (std::size_t i = 0; i < length; ++i) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", raw[i]);
        text += raw[i] >= 32 && raw[i] < 127 ? std::string(1, static_cast<char>(raw[i])) : escaped;
    }
    return inQuotes(text);
}

// The sub-grid whose header starts at position, with rows and columns derived
// once, as every lookup would derive them.
SubGrid readSubGrid(const BinFile& file, int64_t position)
{
    SubGrid g;
    g.name = textAt(file, position + kSubNameAt);
    g.sLat = file.doubleAt(position + kSLatAt);
    g.nLat = file.doubleAt(position + kNLatAt);
    g.eLong = file.doubleAt(position + kELongAt);
    g.wLong = file.doubleAt(position + kWLongAt);
    g.latInc = file.doubleAt(position + kLatIncAt);
    g.longInc = file.doubleAt(position + kLongIncAt);
    g.gsCount = file.int32At(position + kGsCountAt);
    g.start = static_cast<int32_t>(position + kHeaderBytes);
    g.rows = g.cols = 0;
    try {
        g.uncountedBy = "LAT_INC";
        g.rows = nodeCount(spacingsBetween(g.nLat, g.sLat, g.latInc));
        g.uncountedBy = "LONG_INC";
        g.cols = nodeCount(spacingsBetween(g.wLong, g.eLong, g.longInc));
        g.uncountedBy = nullptr;
    } catch (const platform::RunError& error) {
        g.headerError = error;
    }
    return g;
}

// A header value in a message: 15 significant digits, with an exponent for
// the very large and the very small (1e-300, not three hundred digits).
std::string valueText(double value)
{
    if (!std::isfinite(value)) return platform::trimBlanks(platform::numberText(value));
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

bool isSpacing(double value) { return value > 0 && std::isfinite(value); }

std::string utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The files in folder whose names are name in another case, in name order.
std::vector<std::string> namesInOtherCase(const std::filesystem::path& folder, const std::string& name)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string other = utf8(it->path().filename());
        if (other != name && lowerCase(other) == lowerCase(name)) found.push_back(other);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A grid file that is not there: the folder it was looked for in, the files
// there that bear its name in another case, and what to do.
std::string missingGridText(const std::string& fileName)
{
    const std::filesystem::path path = platform::sys::filePath(fileName);
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(path, ec).parent_path();
    const std::string name = utf8(path.filename());
    std::string text = "grid file " + inQuotes(fileName) + " not found in " +
                       (path.has_parent_path() ? "" : "the working directory, ") + utf8(folder);
    const std::vector<std::string> others = namesInOtherCase(folder, name);
    for (std::size_t i = 0; i < others.size(); ++i)
        text += (i == 0 ? ", which holds " : i + 1 == others.size() ? " and " : ", ") + inQuotes(others[i]);
    text += ": no point can be shifted; ";
    if (!others.empty())
        text += std::string(others.size() == 1 ? "rename that file " : "rename one of them ") + name +
                " (the name is case-sensitive), or ";
    return text + "copy your NTv2 grid there as " + name;
}

// What no point can be interpolated with in a sub-grid: a spacing that is not
// a positive number, bounds that enclose nothing.
std::vector<std::string> subGridRemarks(const SubGrid& g, int number)
{
    const std::string named = "sub-grid " + std::to_string(number) + " " + inQuotes(g.name);
    std::vector<std::string> remarks;
    for (const auto& [label, spacing] : {std::pair{"LAT_INC", g.latInc}, std::pair{"LONG_INC", g.longInc}})
        if (!isSpacing(spacing)) remarks.push_back(named + " has " + label + " " + valueText(spacing));
    if (!(g.sLat < g.nLat))
        remarks.push_back(named + " has S_LAT " + valueText(g.sLat) + " not below N_LAT " + valueText(g.nLat) +
                          ": its bounds enclose nothing");
    if (!(g.eLong < g.wLong))
        remarks.push_back(named + " has E_LONG " + valueText(g.eLong) + " not below W_LONG " + valueText(g.wLong) +
                          ": its bounds enclose nothing");
    return remarks;
}

}  // namespace

// Reads a grid file as far as its headers declare and checks its structure.
// Each check that fails ends the reading with the sentence that says why.
class Grid::Loader {
public:
    Loader(Grid& grid, platform::BinReader& reader) : grid_(grid), reader_(reader) {}

    // The problem with the file, or empty when its structure is sound.
    std::string load()
    {
        if (reader_.regularFileSize() && *reader_.regularFileSize() > kMaxGridBytes)
            return "is larger than 2 GiB (" + std::to_string(*reader_.regularFileSize()) +
                   " bytes), more than an NTv2 grid can be";
        if (!have(kHeaderBytes))
            return held() == 0 ? "is empty"
                               : "is truncated: the overview header needs 176 bytes, the file holds " +
                                     std::to_string(held());
        if (std::string wrong = wrongLabel(0, kOverviewLabels, "the overview header"); !wrong.empty())
            return wrong;
        grid_.numFile_ = file().int32At(kNumFileAt);
        if (grid_.numFile_ <= 0)
            return "declares no sub-grid (NUM_FILE is " + std::to_string(grid_.numFile_) + ")";
        int64_t position = kHeaderBytes;
        for (int32_t i = 1; i <= std::min(grid_.numFile_, kMaxSubGrids); ++i) {
            std::string problem = loadSubGrid(i, position);
            if (!problem.empty()) return problem;
        }
        return {};
    }

private:
    const BinFile& file() const { return grid_.bytes_; }
    uint64_t held() const { return grid_.bytes_.size(); }

    // Reads until the file's first `end` bytes are held; false when it ends sooner.
    bool have(int64_t end)
    {
        if (end > static_cast<int64_t>(held()) && reader_.status() == platform::BinReader::Status::kOpen)
            reader_.readInto(grid_.bytes_.storage(), static_cast<std::size_t>(end - static_cast<int64_t>(held())));
        return static_cast<int64_t>(held()) >= end;
    }

    template <size_t N>
    std::string wrongLabel(int64_t header, const Label (&labels)[N], const std::string& where) const
    {
        for (const Label& label : labels) {
            if (textAt(file(), header + label.at) != label.name)
                return "is not an NTv2 file: " + where + " has " + shown(file(), header + label.at) + " where the label " +
                       inQuotes(label.name) + " belongs (byte " + std::to_string(header + label.at) + ")";
        }
        return {};
    }

    std::string loadSubGrid(int32_t i, int64_t& position)
    {
        const std::string which = "sub-grid " + std::to_string(i);
        if (!have(position + kHeaderBytes))
            return "is truncated: the header of " + which + " needs bytes " + std::to_string(position) +
                   " to " + std::to_string(position + kHeaderBytes) + ", the file holds " +
                   std::to_string(held());
        if (std::string wrong = wrongLabel(position, kSubGridLabels, "the header of " + which);
            !wrong.empty())
            return wrong;
        SubGrid g = readSubGrid(file(), position);
        const std::string named = which + " " + inQuotes(g.name);
        if (g.gsCount < 0) return "is damaged: " + named + " declares " + std::to_string(g.gsCount) + " nodes";
        const int64_t end = position + kHeaderBytes + int64_t{g.gsCount} * kNodeBytes;
        if (end > static_cast<int64_t>(INT32_MAX))
            return "is damaged: " + named + " declares " + std::to_string(g.gsCount) +
                   " nodes, more than a grid file can hold";
        if (!have(end)) {
            const int64_t nodesHeld = (static_cast<int64_t>(held()) - position - kHeaderBytes) / kNodeBytes;
            return "is truncated: " + named + " declares " + std::to_string(g.gsCount) +
                   " nodes, the file holds " + std::to_string(std::max<int64_t>(nodesHeld, 0));
        }
        if (!g.headerError && int64_t{g.rows} * g.cols != g.gsCount)
            return "is damaged: " + named + " has " + std::to_string(g.rows) + " rows and " +
                   std::to_string(g.cols) + " columns of nodes by its bounds and spacings, but declares " +
                   std::to_string(g.gsCount) + " nodes";
        grid_.subGrids_.push_back(std::move(g));
        position = end;
        return {};
    }

    Grid& grid_;
    platform::BinReader& reader_;
};

Grid Grid::open(const std::string& fileName)
{
    Grid grid;
    platform::BinReader reader(fileName);
    const std::string named = "grid file " + inQuotes(fileName);
    const std::string consequence = kNoShift;
    if (reader.status() == platform::BinReader::Status::kMissing) {
        grid.problem_ = missingGridText(fileName);
        return grid;
    }
    std::string problem =
        reader.status() == platform::BinReader::Status::kOpen ? Loader(grid, reader).load() : std::string();
    if (reader.status() == platform::BinReader::Status::kNotRegular ||
        reader.status() == platform::BinReader::Status::kUnreadable) {
        grid.state_ = State::kUnreadable;
        grid.errorNumber_ = reader.errorNumber();
        grid.reason_ = "Cannot read grid file " + fileName + ": " + reader.reason();
        grid.problem_ = named + (reader.status() == platform::BinReader::Status::kNotRegular
                                     ? " is not a regular file"
                                     : " cannot be read: " + reader.reason()) +
                        consequence;
    } else if (!problem.empty()) {
        grid.state_ = State::kUnusable;
        grid.errorNumber_ = kUnusableGridError;
        grid.reason_ = "Unusable grid file " + fileName;
        grid.problem_ = named + " " + problem + consequence;
    } else {
        grid.state_ = State::kUsable;
        grid.isDemo_ = textAt(grid.bytes_, kVersionAt) == kDemoGridMark;
        grid.problem_ = grid.everyLookupFails(named);
        grid.remarks_ = grid.usableGridRemarks(named);
    }
    if (grid.state_ != State::kUsable) grid.subGrids_.clear();
    return grid;
}

// A usable grid in which every lookup raises the same error: more sub-grids
// than a lookup scans, or a sub-grid whose rows or columns of nodes cannot be
// counted because its spacing is too fine for its bounds (a spacing that is
// no positive number is warned about as such).
std::string Grid::everyLookupFails(const std::string& named) const
{
    if (numFile_ > kMaxSubGrids)
        return named + " declares " + std::to_string(numFile_) + " sub-grids (NUM_FILE), more than the " +
               std::to_string(kMaxSubGrids) + " a lookup can scan" + kNoShift;
    for (std::size_t i = 0; i < subGrids_.size(); ++i) {
        const SubGrid& g = subGrids_[i];
        if (!g.headerError) continue;
        const bool rows = std::string_view(g.uncountedBy) == "LAT_INC";
        if (!isSpacing(rows ? g.latInc : g.longInc)) continue;
        const std::string span = rows ? "S_LAT " + valueText(g.sLat) + ", N_LAT " + valueText(g.nLat) + " and LAT_INC " +
                                            valueText(g.latInc)
                                      : "E_LONG " + valueText(g.eLong) + ", W_LONG " + valueText(g.wLong) +
                                            " and LONG_INC " + valueText(g.longInc);
        return named + ": the " + (rows ? "rows" : "columns") + " of nodes of sub-grid " + std::to_string(i + 1) + " " +
               inQuotes(g.name) + " cannot be counted from " + span + " (" + g.headerError->description() + ")" +
               kNoShift;
    }
    return {};
}

std::vector<std::string> Grid::usableGridRemarks(const std::string& named) const
{
    std::vector<std::string> remarks;
    if (isDemo_)
        remarks.push_back("it is the synthetic demo grid of this program: its shifts are invented; use your mapping "
                          "agency's official grid");
    const std::string units = textAt(bytes_, kGsTypeAt);
    if (units != "SECONDS")
        remarks.push_back("GS_TYPE is " + shown(bytes_, kGsTypeAt) +
                          ", not \"SECONDS\": its values are read as arc-seconds all the same");
    for (std::size_t i = 0; i < subGrids_.size(); ++i)
        for (std::string& remark : subGridRemarks(subGrids_[i], static_cast<int>(i) + 1)) remarks.push_back(remark);
    for (std::string& remark : remarks) remark = named + ": warning: " + remark;
    return remarks;
}

void Grid::throwUnusable() const { throw platform::RunError(errorNumber_, reason_); }

}  // namespace kovra
