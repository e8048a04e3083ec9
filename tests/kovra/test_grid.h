// Grids for the runs of kovra in the tests: a grid the writer makes, as the
// bytes of its file, and the demo grid without its mark.
#pragma once

#include <string>
#include <vector>

#include "demo_grid.h"
#include "ntv2_writer.h"

inline std::string encoded(const ntv2::Grid& grid)
{
    const std::vector<unsigned char> bytes = ntv2::encode(grid);
    return std::string(bytes.begin(), bytes.end());
}

// The demo grid's shifts under the header an official grid has, without the
// demo grid's mark: runs that are not about the demo grid convert with it
// and say nothing of it.
inline std::string unmarkedDemoGrid()
{
    ntv2::Grid grid = ntv2::demoGrid();
    grid.version = ntv2::Grid().version;
    return encoded(grid);
}
