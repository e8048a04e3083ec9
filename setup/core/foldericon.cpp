#include "core/foldericon.h"

#include <algorithm>

#include "core/shapes.h"

namespace setup::core {

namespace {

using namespace shapes;

// Drawn on a grid of 16 by 16 units, scaled to the icon's size.
constexpr double kGrid = 16;
constexpr Colour kEdge{130, 95, 15};

// A four-cornered shape whose corners go round in one direction.
double quadrilateral(Point p, Point a, Point b, Point c, Point d)
{
    const double inward = side(c, a, b) > 0 ? -1 : 1;
    return std::max({inward * side(p, a, b), inward * side(p, b, c), inward * side(p, c, d), inward * side(p, d, a)});
}

// A shape (its distance in pixels) filled, with an edge one pixel wide.
void fillAndEdge(Pixel& px, double shape, Colour fill)
{
    px.paint(fill, coverage(shape));
    px.paint(kEdge, outline(shape, 1));
}

// g: the pixel's centre on the grid; unit: pixels per grid unit.
void paintFolder(Pixel& px, Point g, bool open, double unit)
{
    fillAndEdge(px, unit * roundedRect(g, 1, 2.5, 6, 3, 0.8), {230, 180, 50});
    const Colour back = open ? Colour{225, 172, 40} : along({{0, {255, 224, 120}}, {1, {240, 188, 60}}}, g.y / kGrid);
    fillAndEdge(px, unit * roundedRect(g, 1, 4, 14, 10, 0.8), back);
    if (!open)
        return;
    // A sheet inside, and the front flap folded down towards the viewer.
    fillAndEdge(px, unit * roundedRect(g, 3, 5, 10, 6, 0.3), {250, 250, 245});
    fillAndEdge(px, unit * quadrilateral(g, {4, 7.5}, {15.5, 7.5}, {13.5, 14}, {1, 14}),
                along({{0, {255, 232, 140}}, {1, {245, 200, 80}}}, (g.y - 7.5) / 6.5));
}

}  // namespace

Picture folderIcon(bool open, int size)
{
    Picture icon{size, size, std::vector<std::uint32_t>(std::size_t(size) * std::size_t(size)), true};
    const double unit = size / kGrid;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Pixel px({x + 0.5, y + 0.5});
            paintFolder(px, {(x + 0.5) / unit, (y + 0.5) / unit}, open, unit);
            icon.pixels[std::size_t(y) * std::size_t(size) + std::size_t(x)] = px.premultipliedArgb();
        }
    }
    return icon;
}

}  // namespace setup::core
