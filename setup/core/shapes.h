#pragma once
// Drawing pictures pixel by pixel: shapes as signed distances, smooth edges,
// colour gradients, and a pixel painted layer by layer.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

namespace setup::core::shapes {

struct Point {
    double x, y;
};
struct Colour {
    double r, g, b;
};

// A colour and where it sits along a gradient (0 at its start, 1 at its end).
struct Stop {
    double at;
    Colour colour;
};

// The colour at t along a gradient; before the first and after the last stop
// the end colours continue.
inline Colour along(std::initializer_list<Stop> stops, double t)
{
    const Stop* previous = stops.begin();
    if (t <= previous->at)
        return previous->colour;
    for (const Stop& stop : stops) {
        if (t <= stop.at) {
            const double f = (t - previous->at) / (stop.at - previous->at);
            const Colour& a = previous->colour;
            const Colour& b = stop.colour;
            return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
        }
        previous = &stop;
    }
    return previous->colour;
}

// Where p falls along the line from start to end, 0 to 1.
inline double fraction(Point p, Point start, Point end)
{
    const double dx = end.x - start.x, dy = end.y - start.y;
    return std::clamp(((p.x - start.x) * dx + (p.y - start.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
}

// Shapes as signed distances: negative inside, positive outside, in pixels.
inline double circle(Point p, Point c, double r)
{
    return std::hypot(p.x - c.x, p.y - c.y) - r;
}

inline double ellipse(Point p, Point c, double rx, double ry)
{
    const double k = std::hypot((p.x - c.x) / rx, (p.y - c.y) / ry);
    return (k - 1) * std::min(rx, ry);
}

inline double roundedRect(Point p, double left, double top, double width, double height, double radius)
{
    const double hx = width / 2, hy = height / 2;
    const double qx = std::abs(p.x - (left + hx)) - (hx - radius);
    const double qy = std::abs(p.y - (top + hy)) - (hy - radius);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// The signed distance of p from the line through a and b: positive on the
// side that lies counter-clockwise on screen.
inline double side(Point p, Point a, Point b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    return ((p.x - a.x) * dy - (p.y - a.y) * dx) / std::hypot(dx, dy);
}

inline double triangle(Point p, Point a, Point b, Point c)
{
    // Inside lies on the same side of all three edges, whichever way round the corners go.
    const double inward = side(c, a, b) > 0 ? -1 : 1;
    return std::max({inward * side(p, a, b), inward * side(p, b, c), inward * side(p, c, a)});
}

inline double segment(Point p, Point a, Point b, double width)
{
    const double t = fraction(p, a, b);
    return std::hypot(p.x - (a.x + (b.x - a.x) * t), p.y - (a.y + (b.y - a.y) * t)) - width / 2;
}

// How much of the pixel around p a shape covers, for smooth edges.
inline double coverage(double distance)
{
    return std::clamp(0.5 - distance, 0.0, 1.0);
}

inline double outline(double distance, double width)
{
    return coverage(std::abs(distance) - width / 2);
}

// One pixel of a picture, painted layer by layer over a transparent start.
class Pixel {
public:
    explicit Pixel(Point p) : p(p) {}

    // Lays c over what is there, covering amount (0 to 1) of the pixel. The
    // colour kept is premultiplied by the pixel's alpha.
    void paint(Colour c, double amount)
    {
        if (amount <= 0)
            return;
        colour_ = {colour_.r + (c.r - colour_.r) * amount, colour_.g + (c.g - colour_.g) * amount,
                   colour_.b + (c.b - colour_.b) * amount};
        alpha_ += (1 - alpha_) * amount;
    }

    // 0x00RRGGBB, for a picture painted all over.
    std::uint32_t rgb() const { return channel(colour_.r) << 16 | channel(colour_.g) << 8 | channel(colour_.b); }

    // 0xAARRGGBB with the colour premultiplied by the alpha.
    std::uint32_t premultipliedArgb() const { return channel(alpha_ * 255) << 24 | rgb(); }

    const Point p;

private:
    static std::uint32_t channel(double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

    Colour colour_{0, 0, 0};
    double alpha_ = 0;
};

}  // namespace setup::core::shapes
