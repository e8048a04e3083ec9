#include "core/prism.h"

#include <cmath>
#include <numbers>

#include "core/shapes.h"

namespace setup::core {

namespace {

using namespace shapes;

constexpr int kWidth = 416;
constexpr int kHeight = 365;

constexpr Point kCentre{208, 155};

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

Point onCircle(double degrees, double radius)
{
    return {kCentre.x + radius * std::cos(radians(degrees)), kCentre.y + radius * std::sin(radians(degrees))};
}

constexpr Colour kBlack{20, 20, 20};

void skyAndPole(Pixel& px)
{
    px.paint(along({{0, {150, 196, 235}}, {1, {232, 242, 250}}}, px.p.y / kHeight), 1);
    if (px.p.x >= 196 && px.p.x < 220 && px.p.y >= 280)
        px.paint(along({{0, {90, 90, 95}}, {0.4, {215, 215, 220}}, {1, {80, 80, 85}}}, (px.p.x - 196) / 24), 1);
}

// The yellow plate with a black rim and four black marks pointing at the prism.
void targetPlate(Pixel& px)
{
    const double plate = roundedRect(px.p, 58, 20, 300, 270, 14);
    px.paint({245, 196, 0}, coverage(plate));
    px.paint(kBlack, outline(plate, 6));
    const Point marks[4][3] = {{{178, 26}, {238, 26}, {208, 64}},
                               {{178, 284}, {238, 284}, {208, 246}},
                               {{64, 125}, {64, 185}, {114, 155}},
                               {{352, 125}, {352, 185}, {302, 155}}};
    for (const auto& m : marks)
        px.paint(kBlack, coverage(triangle(px.p, m[0], m[1], m[2])));
}

// The round holder: a dark housing ring, a bright bezel and two side screws.
void holder(Pixel& px)
{
    constexpr Colour kRim{10, 10, 10};
    const double housing = circle(px.p, kCentre, 90);
    const double t = std::hypot(px.p.x - kCentre.x, px.p.y - kCentre.y) / 92;
    px.paint(along({{0.8, {70, 70, 75}}, {1, {25, 25, 28}}}, t), coverage(housing));
    px.paint(kRim, outline(housing, 2));
    const double bezel = circle(px.p, kCentre, 72);
    px.paint({190, 190, 196}, coverage(bezel));
    px.paint(kRim, outline(bezel, 2));
    for (const double dx : {-82.0, 82.0}) {
        const double screw = circle(px.p, {kCentre.x + dx, kCentre.y}, 6);
        px.paint({160, 160, 165}, coverage(screw));
        px.paint(kRim, outline(screw, 2));
    }
}

// The glass of the corner cube: six facets meeting at the centre, alternately
// lit and shaded, with a reflection across the upper left.
void glass(Pixel& px)
{
    constexpr double kRadius = 64;
    // Facet i spans the directions 60i - 90 to 60i - 30 degrees, clockwise from the top.
    const double direction = std::atan2(px.p.y - kCentre.y, px.p.x - kCentre.x) * 180 / std::numbers::pi;
    const int i = static_cast<int>(std::floor((direction + 90 + 360) / 60)) % 6;
    const double t = fraction(px.p, kCentre, onCircle(60.0 * i - 60, kRadius));
    const Colour shade = i % 2 ? along({{0, {20, 60, 90}}, {1, {5, 25, 45}}}, t)
                               : along({{0, {40, 110, 150}}, {1, {15, 60, 95}}}, t);
    px.paint(shade, coverage(circle(px.p, kCentre, kRadius)));
    for (int i = 0; i < 3; ++i) {
        const double a = 60.0 * i - 90;
        px.paint({170, 210, 230}, 200.0 / 255 * coverage(segment(px.p, onCircle(a + 180, kRadius), onCircle(a, kRadius), 1.5)));
    }
    px.paint({255, 255, 255}, 70.0 / 255 * coverage(ellipse(px.p, {kCentre.x - 23, kCentre.y - 37}, 27, 15)));
}

}  // namespace

Picture prismPicture()
{
    Picture picture{kWidth, kHeight, std::vector<std::uint32_t>(std::size_t(kWidth) * kHeight)};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Pixel px({x + 0.5, y + 0.5});
            skyAndPole(px);
            targetPlate(px);
            holder(px);
            glass(px);
            picture.pixels[std::size_t(y) * kWidth + x] = px.rgb();
        }
    }
    return picture;
}

}  // namespace setup::core
