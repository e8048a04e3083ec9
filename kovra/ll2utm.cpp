#include "ll2utm.h"

#include <array>
#include <cstring>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <utility>

#include "platform/fpcheck.h"
#include "platform/integer.h"
#include "platform/numtext.h"

namespace kovra {

namespace {

using platform::checked16;

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

// The powers x^1 .. x^N, each the system's power(x, n): x multiplied by x,
// n - 1 times, left to right. So x^n is x^(n - 1) * x, and each is formed by
// one multiplication of the one before, with the same bits.
template <int N>
struct Powers {
    std::array<double, N + 1> p;  // p[n] = x^n; p[0] unused
    explicit Powers(double x)
    {
        p[0] = p[1] = x;
        for (int n = 2; n <= N; ++n) p[n] = p[n - 1] * x;
    }
    double operator[](int n) const { return p[n]; }
};

// The coefficients s_5 .. s_21 of the meridian-arc polynomial of one
// ellipsoid: the fractions of e^2, e^4, ... in order, the whole then
// multiplied by 1/k. They depend on e^2 alone, so each ellipsoid's are formed
// once.
struct ArcCoefficients {
    std::array<double, 9> s;
    explicit ArcCoefficients(double e2)
    {
        const Powers<10> e(e2);
        int16_t k = 5;
        for (size_t i = 0; i < kArcTerms.size(); ++i, k += 2) {
            double coefficient = 0;
            int j = 1;
            for (const Fraction& f : kArcTerms[i]) coefficient += (f.numerator / f.denominator) * e[j++];
            coefficient *= 1.0 / k;
            s[i] = coefficient;
        }
    }
};

const ArcCoefficients& arcCoefficients(double e2)
{
    static const ArcCoefficients international(kInternational1924.e2), grs80(kGrs80.e2);
    if (e2 == kInternational1924.e2) return international;
    if (e2 == kGrs80.e2) return grs80;
    static thread_local std::optional<ArcCoefficients> other;  // no such ellipsoid today
    other.emplace(e2);
    return *other;
}

// S(phi) = sum of s_k * phi^k over the odd k from 1 to 21.
double meridianPolynomial(double phi, double e2)
{
    const Powers<21> p(phi);
    const ArcCoefficients& c = arcCoefficients(e2);
    double S = phi + ((1.0 / 2) * e2) * p[3];
    for (size_t i = 0; i < c.s.size(); ++i) S += c.s[i] * p[5 + 2 * static_cast<int>(i)];
    return S;
}

// A polynomial in t^2 and eta^2: row i holds the factors of eta^(2i), column j
// those of t^(2j); zero cells are absent terms. Summed row by row, each term
// formed as c * t^(2j) * eta^(2i); the tables are constants, so the terms are
// laid out at compile time and the absent ones vanish.
template <size_t Rows, size_t Cols>
using Table = std::array<std::array<double, Cols>, Rows>;

template <const auto& table, size_t i, size_t j>
void addTerm(double& sum, const Powers<8>& t, const Powers<6>& eta2)
{
    if constexpr (table[i][j] != 0) {
        double term = table[i][j];
        if constexpr (j > 0) term = term * t[static_cast<int>(2 * j)];
        if constexpr (i > 0) term = term * eta2[static_cast<int>(i)];
        sum += term;
    }
}

template <const auto& table>
double tablePolynomial(const Powers<8>& t, const Powers<6>& eta2)
{
    constexpr size_t cols = table[0].size();
    double sum = 0;
    [&]<size_t... k>(std::index_sequence<k...>) {
        (addTerm<table, k / cols, k % cols>(sum, t, eta2), ...);
    }(std::make_index_sequence<table.size() * cols>{});
    return sum;
}

constexpr Table<4, 3> kP5{{{5, -18, 1}, {14, -58, 0}, {13, -64, 0}, {4, -24, 0}}};

constexpr Table<7, 4> kP7{{
    {61, -479, 179, -1},
    {331, -3298, 1771, 0},
    {-34419, 129087, -49644, 0},
    {-56385, 252084, -121800, 0},
    {-50856, 263088, -151872, 0},
    {-24048, 140928, -94080, 0},
    {-4672, 30528, -23040, 0},
}};

constexpr Table<7, 4> kP8{{
    {1385, -3111, 543, -1},
    {10899, -32802, 9219, 0},
    {34419, -129087, 49644, 0},
    {56385, -252084, 121800, 0},
    {50856, -263088, 151872, 0},
    {24048, -140928, 94080, 0},
    {-25856, 0, 23040, 0},
}};

// The t^4 factor of the eta^6 row, 751852008, is about ten times what its
// column's run (19210830, ..., 165884208) suggests. It is the coefficient the
// system's conversions are defined with, nine digits and all, and the output
// must match theirs bit for bit: do not "correct" it. (Its term is of order
// dl^10 eta^6, far below a millimetre inside a zone.)
constexpr Table<6, 5> kP10{{
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

Ellipsoid targetEllipsoid(int16_t direction)
{
    return direction == 0 ? kGrs80 : kInternational1924;
}

template <fp::CheckPolicy Policy>
EastNorth ll2utm(double lon, double lat, const RunSettings& run)
{
    fp::begin<Policy>(lon, lat);
    const Ellipsoid ell = targetEllipsoid(run.direction);
    const double a = ell.a, e2 = ell.e2;
    const double lambda0 = centralMeridian(run.zone, run.PI);
    const double ep2 = e2 / (1 - e2);
    const double M = meridianPolynomial(lat, e2) * a * (1 - e2);

    const double dl = lon - lambda0;
    const double sinLat = std::sin(lat);
    const double nu = a / std::sqrt(1 - e2 * (sinLat * sinLat));
    const double t = std::tan(lat);
    const double c = std::cos(lat);
    const Powers<10> C(c), L(dl);
    const Powers<8> T(t);
    const double eta2 = ep2 * C[2];
    const Powers<6> H(eta2);
    const double t2 = T[2];

    const double N2 = nu * t * C[2] * L[2] / 2;
    const double N4 = nu * t * C[4] * L[4] / 24 * (5 - t2 + 9 * eta2 + 4 * H[2]);
    const double N6 = nu * t * C[6] * L[6] / 720 * (61 - 58 * t2 + T[4] + 270 * eta2 - 330 * t2 * eta2);
    const double N8 = nu * t * C[8] * L[8] / 40320 * tablePolynomial<kP8>(T, H);
    const double N10 = nu * t * C[10] * L[10] / 3628800 * tablePolynomial<kP10>(T, H);

    const double E1 = nu * c * dl;
    const double E3 = nu * C[3] * L[3] / 6 * (1 - t2 + eta2);
    const double E5 = nu * C[5] * L[5] / 120 * tablePolynomial<kP5>(T, H);
    const double E7 = nu * C[7] * L[7] / 5040 * tablePolynomial<kP7>(T, H);

    EastNorth result;
    result.northing = kScale * (M + N2 + N4 + N6 + N8 + N10);
    result.easting = kScale * (E1 + E3 + E5 + E7) + kFalseEasting;
    fp::check<Policy>(result.easting, result.northing);
    return result;
}

template EastNorth ll2utm<fp::Checked>(double, double, const RunSettings&);
template EastNorth ll2utm<fp::Deferred>(double, double, const RunSettings&);

namespace {

// A coordinate's text appended to out: 15 significant digits, cut after the
// third decimal, without the blanks around it.
void appendCoordinate(std::string& out, double value)
{
    char text[platform::kMaxNumberText];
    std::size_t length = platform::writeNumberText(text, value);
    const char* point = static_cast<const char*>(std::memchr(text, '.', length));
    if (point && length > static_cast<std::size_t>(point - text) + 4) length = static_cast<std::size_t>(point - text) + 4;
    const std::size_t first = text[0] == ' ' ? 1 : 0;  // the only blank it can hold
    out.append(text + first, length - first);
}

}  // namespace

std::string coordinateText(double value)
{
    std::string text;
    appendCoordinate(text, value);
    return text;
}

std::string outputLine(std::string_view pointName, const EastNorth& point, std::string_view lineRest)
{
    const std::size_t first = pointName.find_first_not_of(' ');
    const std::string_view name =
        first == std::string_view::npos ? std::string_view() : pointName.substr(first, pointName.find_last_not_of(' ') - first + 1);
    std::string line;
    line.reserve(name.size() + lineRest.size() + 48);
    line.append(name);
    line += ' ';
    appendCoordinate(line, point.easting);
    line += ' ';
    appendCoordinate(line, point.northing);
    line += ' ';
    line.append(lineRest);
    return line;
}

}  // namespace kovra
