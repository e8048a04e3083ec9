#include "ll2utm.h"

#include <array>
#include <cmath>
#include <initializer_list>

#include "platform/fpcheck.h"
#include "platform/integer.h"
#include "platform/numtext.h"

namespace kovra {

namespace {

using platform::checked16;

constexpr double kScale = 0.9996;
constexpr double kFalseEasting = 500000.0;

struct Fraction {
    double numerator, denominator;
};

// Coefficient of phi^k in the meridian-arc polynomial, k = 5, 7, ..., 21: the
// fractions of e^2, e^4, ... in order, the whole then multiplied by 1/k.
const std::array<std::initializer_list<Fraction>, 9> kArcTerms{{
    {{-1, 2}, {15, 8}},
    {{1, 15}, {-5, 4}, {35, 16}},
    {{-1, 210}, {3, 8}, {-35, 16}, {315, 128}},
    {{1, 4725}, {-17, 252}, {49, 48}, {-105, 32}, {693, 256}},
    {{-1, 155925}, {31, 3780}, {-8, 27}, {133, 64}, {-1155, 256}, {3003, 1024}},
    {{2, 14189175}, {-1, 1386}, {13, 216}, {-5, 6}, {231, 64}, {-3003, 512}, {6435, 2048}},
    {{-1, 425675250}, {5461, 113513400}, {-217, 23760}, {457, 1920}, {-473, 256}, {29029, 5120},
     {-15015, 2048}, {109395, 32768}},
    {{1, 32564156625}, {-257, 102162060}, {63047, 58378320}, {-491, 9504}, {7843, 11520},
     {-81367, 23040}, {17017, 2048}, {-36465, 4096}, {230945, 65536}},
    {{-1, 3093594879375}, {73, 689188500}, {-1069, 10424700}, {164573, 18532800},
     {-2219, 11520}, {367367, 230400}, {-18733, 3072}, {94809, 8192}, {-692835, 65536},
     {969969, 262144}},
}};

// S(phi) = sum of s_k * phi^k over the odd k from 1 to 21.
double meridianPolynomial(double phi, double e2)
{
    double S = phi + ((1.0 / 2) * e2) * power(phi, 3);
    int16_t k = 5;
    for (const auto& terms : kArcTerms) {
        double coefficient = 0;
        int16_t j = 1;
        for (const Fraction& f : terms) coefficient += (f.numerator / f.denominator) * power(e2, j++);
        coefficient *= 1.0 / k;
        S += coefficient * power(phi, k);
        k += 2;
    }
    return S;
}

// A polynomial in t^2 and eta^2: row i holds the factors of eta^(2i), column j
// those of t^(2j); zero cells are absent terms. Summed row by row.
template <size_t Rows, size_t Cols>
using Table = std::array<std::array<double, Cols>, Rows>;

template <size_t Rows, size_t Cols>
double tablePolynomial(const Table<Rows, Cols>& table, double t, double eta2)
{
    double sum = 0;
    for (size_t i = 0; i < Rows; ++i)
        for (size_t j = 0; j < Cols; ++j) {
            const double c = table[i][j];
            if (c == 0) continue;
            double term = c;
            if (j > 0) term = term * power(t, static_cast<int16_t>(2 * j));
            if (i > 0) term = term * power(eta2, static_cast<int16_t>(i));
            sum += term;
        }
    return sum;
}

const Table<4, 3> kP5{{{5, -18, 1}, {14, -58, 0}, {13, -64, 0}, {4, -24, 0}}};

const Table<7, 4> kP7{{
    {61, -479, 179, -1},
    {331, -3298, 1771, 0},
    {-34419, 129087, -49644, 0},
    {-56385, 252084, -121800, 0},
    {-50856, 263088, -151872, 0},
    {-24048, 140928, -94080, 0},
    {-4672, 30528, -23040, 0},
}};

const Table<7, 4> kP8{{
    {1385, -3111, 543, -1},
    {10899, -32802, 9219, 0},
    {34419, -129087, 49644, 0},
    {56385, -252084, 121800, 0},
    {50856, -263088, 151872, 0},
    {24048, -140928, 94080, 0},
    {-25856, 0, 23040, 0},
}};

const Table<6, 5> kP10{{
    {50521, -206276, 101166, -4916, 1},
    {612540, -3277980, 2402100, -239220, 0},
    {3043190, -19954380, 19210830, -2879440, 0},
    {8250228, -63646884, 751852008, -14852880, 0},
    {10505721, -119311872, 165884208, -40247424, 0},
    {13774680, -136688400, 217543680, -62092800, 0},
}};

// Central meridian in radians; 6*zone - 180 - 3 in 16-bit arithmetic.
double centralMeridian(int16_t zone, double PI)
{
    const int16_t sixZone = checked16(6 * zone);
    const int16_t degrees = checked16(checked16(sixZone - 180) - 3);
    return (static_cast<double>(degrees) * PI) / 180;
}

}  // namespace

double power(double x, int16_t n)
{
    const int16_t multiplications = checked16(n - 1);
    double product = x;
    for (int16_t i = 1; i <= multiplications; ++i) product = product * x;
    return product;
}

Ellipsoid targetEllipsoid(int16_t direction)
{
    return direction == 0 ? kGrs80 : kInternational1924;
}

EastNorth ll2utm(double lon, double lat, const Variables& state)
{
    fp::begin(lon, lat);
    const Ellipsoid ell = targetEllipsoid(state.direction);
    const double a = ell.a, e2 = ell.e2;
    const double lambda0 = centralMeridian(state.zone, state.PI);
    const double ep2 = e2 / (1 - e2);
    const double M = meridianPolynomial(lat, e2) * a * (1 - e2);

    const double dl = lon - lambda0;
    const double nu = a / std::sqrt(1 - e2 * power(std::sin(lat), 2));
    const double t = std::tan(lat);
    const double c = std::cos(lat);
    const double eta2 = ep2 * power(c, 2);
    const double t2 = power(t, 2);

    const double N2 = nu * t * power(c, 2) * power(dl, 2) / 2;
    const double N4 = nu * t * power(c, 4) * power(dl, 4) / 24 *
                      (5 - t2 + 9 * eta2 + 4 * power(eta2, 2));
    const double N6 = nu * t * power(c, 6) * power(dl, 6) / 720 *
                      (61 - 58 * t2 + power(t, 4) + 270 * eta2 - 330 * t2 * eta2);
    const double N8 = nu * t * power(c, 8) * power(dl, 8) / 40320 * tablePolynomial(kP8, t, eta2);
    const double N10 =
        nu * t * power(c, 10) * power(dl, 10) / 3628800 * tablePolynomial(kP10, t, eta2);

    const double E1 = nu * c * dl;
    const double E3 = nu * power(c, 3) * power(dl, 3) / 6 * (1 - t2 + eta2);
    const double E5 = nu * power(c, 5) * power(dl, 5) / 120 * tablePolynomial(kP5, t, eta2);
    const double E7 = nu * power(c, 7) * power(dl, 7) / 5040 * tablePolynomial(kP7, t, eta2);

    EastNorth result;
    result.northing = kScale * (M + N2 + N4 + N6 + N8 + N10);
    result.easting = kScale * (E1 + E3 + E5 + E7) + kFalseEasting;
    fp::check(result.easting, result.northing);
    return result;
}

std::string coordinateText(double value)
{
    std::string text = platform::numberText(value);
    const size_t point = text.find('.');
    if (point != std::string::npos && text.size() > point + 4) text.resize(point + 4);
    return platform::trimBlanks(text);
}

std::string outputLine(const std::string& pointName, const EastNorth& point,
                       const std::string& lineRest)
{
    return platform::trimBlanks(pointName) + " " + coordinateText(point.easting) + " " +
           coordinateText(point.northing) + " " + lineRest;
}

}  // namespace kovra
