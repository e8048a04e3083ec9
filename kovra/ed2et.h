// Datum shift between ED50 and ETRS89 through an NTv2 grid-shift file.
//
// The forward shift (ED50 to ETRS89) is one bilinear interpolation in the
// sub-grid with the finest latitude spacing that holds the point; the reverse
// shift inverts it by 15 fixed-point iterations, with no convergence test. All
// angles are arc-seconds, positive east and north; only inside the lookup do
// longitudes run positive west, as the NTv2 format stores them. Sub-grids are
// not treated as nested, the labels of the headers are never examined and the
// units are taken to be arc-seconds.
#pragma once

#include <string>

#include "Variables.h"
#include "platform/binfile.h"

namespace kovra {

// The grid file, looked for in the working directory.
inline constexpr const char* kGridFileName = "mirtaxo.gsb";

// An NTv2 file read whole on first use and held for the rest of the run, so a
// lookup costs no file access and sees exactly what a fresh read would give.
class GridFile {
public:
    explicit GridFile(std::string fileName = kGridFileName) : fileName_(std::move(fileName)) {}

    const std::string& fileName() const { return fileName_; }

    // True when the file did not exist when it was loaded (loading it now if no
    // lookup has yet). A missing file is not created: it reads as all zeros, so
    // no point lies in the grid.
    bool missing() const;

    // The file's bytes. Raises a RunError, on every call, when the file exists
    // but cannot be read.
    const platform::BinFile& bytes() const;

private:
    const platform::LoadedFile& loaded() const;

    std::string fileName_;
    mutable bool isLoaded_ = false;  // the load is deferred to the first lookup
    mutable platform::LoadedFile file_;
};

// The forward shift of a point (arc-seconds, positive east and north). Both
// results are zero when no sub-grid holds the point. After a successful lookup
// fractionX, fractionY hold where the point lies in its cell, in spacings west
// and north of the cell's south-east node; after a miss they are left as they
// were. Raises a RunError for more than 150 sub-grids, a zero spacing, a count,
// index, record number or file position beyond 32 bits, a floating-point fault
// or an unreadable file.
LonLat interpolateGrid(const GridFile& grid, double lonSeconds, double latSeconds,
                       double& fractionX, double& fractionY);

// The ED50 position whose forward shift lands on the given ETRS89 one, after
// exactly 15 iterations. Both results are zero when an estimate of any
// iteration lies outside the grid (only its shifted latitude is tested). The
// fractions and errors are those of interpolateGrid.
LonLat invertGrid(const GridFile& grid, double lonSeconds, double latSeconds,
                  double& fractionX, double& fractionY);

// The datum-shift stage: a point in decimal degrees on the source datum to
// arc-seconds on the other one, forward when sourceDatum is exactly "ED50" and
// in reverse otherwise. Sets gridFileName; the lookup fractions go to coordX,
// coordY. A point outside the grid (the product of the shifted coordinates is
// zero) raises RunError(0, "").
LonLat ed2et(double latDegrees, double lonDegrees, Variables& state, const GridFile& grid);

}  // namespace kovra
