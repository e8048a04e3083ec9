// An NTv2 grid-shift file as the datum shift reads it: little-endian, an
// overview header, then each sub-grid's header (176 bytes of 8-byte labels and
// 8-byte values) followed by its node records (16 bytes each). The file is
// opened and checked once; lookups then read from memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/binfile.h"
#include "platform/fpcheck.h"
#include "platform/runtime_error.h"

namespace kovra {

// The grid file, looked for in the working directory.
inline constexpr const char* kGridFileName = "mirtaxo.gsb";

// The mark of the synthetic demo grid that this project's generator makes
// (tools/make_demo_grid): the overview's VERSION, which no lookup reads. A
// grid that carries it is warned about: its shifts are invented.
inline constexpr const char* kDemoGridMark = "RUK-DEMO";

// The longest a grid file can be: node positions are 32-bit.
inline constexpr uint64_t kMaxGridBytes = uint64_t{1} << 31;

// Each header is 176 bytes; each node record 16: the latitude shift, then the
// longitude shift 4 bytes in, as singles (the accuracies after them are not read).
inline constexpr int64_t kHeaderBytes = 176;
inline constexpr int32_t kNodeBytes = 16;
inline constexpr int32_t kLonShiftAt = 4;

// The lookups scan no more than this many sub-grids; a grid that declares
// more fails every lookup once these are scanned.
inline constexpr int32_t kMaxSubGrids = 150;

// One sub-grid as the lookups use it; angles in arc-seconds, longitudes
// positive west.
struct SubGrid {
    std::string name;  // SUB_NAME without its padding
    double sLat, nLat, eLong, wLong, latInc, longInc;
    int32_t gsCount;
    int32_t start;  // file position of its first node record
    int32_t rows, cols;
    // The error that deriving rows and columns from the header raises (a zero
    // or non-finite spacing, a count beyond 32 bits): every lookup that
    // reaches this sub-grid raises it. uncountedBy names the spacing whose
    // count raised it, "LAT_INC" or "LONG_INC".
    std::optional<platform::RunError> headerError;
    const char* uncountedBy = nullptr;
};

// An NTv2 grid-shift file, opened and checked once, then held in memory for
// the lookups. Opening reads only what the headers declare, never more than
// kMaxGridBytes, so an endless or huge file costs nothing. A grid that is
// missing, cannot be read or is not a complete NTv2 file is not usable: no
// point can be shifted through it.
class Grid {
public:
    enum class State { kUsable, kMissing, kUnreadable, kUnusable };

    static Grid open(const std::string& fileName = kGridFileName);

    State state() const { return state_; }
    // Why no point can be shifted through the grid, as one sentence that
    // names the file and says what to do where it can; empty when points can
    // be. A grid that is not usable always has one; a usable one has one when
    // every lookup raises an error (more than 150 sub-grids, a spacing too
    // fine to count its nodes), which each point then reports as well.
    const std::string& problem() const { return problem_; }
    // Warnings about a usable grid: the demo grid's mark, a sub-grid whose
    // spacing or bounds no point can be interpolated with (its points fail
    // one by one), units other than arc-seconds (read as arc-seconds all the
    // same).
    const std::vector<std::string>& remarks() const { return remarks_; }
    // Whether the grid carries the demo grid's mark.
    bool isDemo() const { return isDemo_; }

    int32_t declaredSubGrids() const { return numFile_; }  // NUM_FILE
    const std::vector<SubGrid>& subGrids() const { return subGrids_; }  // the first 150 at most
    const platform::BinFile& bytes() const { return bytes_; }

    // The error every lookup raises in a grid that is not usable; none for a
    // missing one, which reads as a grid without sub-grids.
    void throwIfUnusable() const
    {
        if (state_ == State::kUnreadable || state_ == State::kUnusable) throwUnusable();
    }

private:
    class Loader;

    [[noreturn]] void throwUnusable() const;
    std::vector<std::string> usableGridRemarks(const std::string& named) const;
    std::string everyLookupFails(const std::string& named) const;

    State state_ = State::kMissing;
    std::string problem_;
    std::vector<std::string> remarks_;
    int errorNumber_ = 0;
    std::string reason_;
    int32_t numFile_ = 0;
    bool isDemo_ = false;
    std::vector<SubGrid> subGrids_;
    platform::BinFile bytes_;
};

// (a - b) / spacing as one step of its own: a floating-point fault raises a
// RunError, and a zero spacing is a division by zero even when a - b is zero.
template <fp::CheckPolicy Policy = fp::Checked>
inline double spacingsBetween(double a, double b, double spacing)
{
    fp::begin<Policy>(a, b, spacing);
    double difference = a - b;
    fp::checkStep<Policy>(difference);
    if (spacing == 0) throw platform::divisionByZeroError();
    double quotient = difference / spacing;
    fp::checkStep<Policy>(quotient);
    return quotient;
}

}  // namespace kovra
