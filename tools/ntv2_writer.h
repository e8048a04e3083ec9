// Writes NTv2 grid-shift files for tests and examples: little-endian, an
// overview header, then each sub-grid's header followed by its node records,
// then the end record. Every header field can be set to any value, consistent
// or not, so that damaged and unusual files can be made as easily as good ones.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ntv2 {

// One node record: shifts and accuracies in arc-seconds, the longitude shift
// positive west.
struct Node {
    float latShift = 0, lonShift = 0;
    float latAccuracy = 0, lonAccuracy = 0;
};

// The node value at a node's latitude and longitude (arc-seconds, positive west).
using NodeFunction = std::function<Node(double lat, double lonWest)>;

struct SubGrid {
    std::string name = "SUBGRID", parent = "NONE", created = "", updated = "";
    // Arc-seconds; E_LONG and W_LONG positive west, E_LONG the smaller.
    double sLat = 0, nLat = 0, eLong = 0, wLong = 0, latInc = 0, longInc = 0;
    // Node records written: rows * cols, row by row from S_LAT northward, each
    // row from E_LONG westward. Independent of the header fields above.
    int32_t rows = 0, cols = 0;
    std::optional<int32_t> gsCount;  // GS_COUNT as written; rows * cols when unset
    NodeFunction node;               // zero records when unset
};

// A sub-grid whose boundaries match its rows and columns of nodes.
SubGrid regularSubGrid(double sLat, double eLong, double latInc, double longInc, int32_t rows,
                       int32_t cols, NodeFunction node);

struct Grid {
    std::optional<int32_t> numFile = {};  // NUM_FILE as written; the number of sub-grids when unset
    std::string gsType = "SECONDS";
    std::string version = "NTv2.0";
    std::string systemF = "ED50", systemT = "ETRS89";
    double majorF = 6378388, minorF = 6356911.946, majorT = 6378137, minorT = 6356752.314;
    std::vector<SubGrid> subGrids;
};

// The file's bytes.
std::vector<unsigned char> encode(const Grid& grid);

// Writes bytes to path, replacing the file; throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

// The grid written to path, cut to at most maxBytes when that is given.
void writeGrid(const std::string& path, const Grid& grid,
               std::optional<std::size_t> maxBytes = std::nullopt);

}  // namespace ntv2
