#include "demo_grid.h"

#include "grid.h"

namespace ntv2 {

namespace {

constexpr double kSpacing = 300;  // arc-seconds

Node demoShift(double lat, double lonWest)
{
    const double u = (lat / 3600 - 40) / 5;
    const double v = (-lonWest / 3600 + 3) / 6.5;
    const double latShift = -3.90 + 0.25 * u - 0.10 * v + 0.05 * u * v;
    const double lonShiftEast = -4.70 + 0.10 * u - 0.20 * v - 0.05 * u * u;
    return {static_cast<float>(latShift), static_cast<float>(-lonShiftEast), 0.05f, 0.05f};
}

}  // namespace

Grid demoGrid()
{
    SubGrid spain = regularSubGrid(35.5 * 3600, -3.5 * 3600, kSpacing, kSpacing, 109, 157, demoShift);
    spain.name = "SPAIN";
    spain.created = "DEMO";
    spain.updated = "DEMO";
    Grid grid;
    grid.version = kovra::kDemoGridMark;
    grid.subGrids.push_back(spain);
    return grid;
}

}  // namespace ntv2
