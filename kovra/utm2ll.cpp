#include "utm2ll.h"

#include <cmath>

#include "platform/fpcheck.h"

namespace kovra {

namespace {

constexpr double kTolerance = 1e-11;

// Meridian-arc coefficient A0 and the iteration coefficients g2..g10. Every
// term is (power * numerator) / denominator, summed left to right.
struct ArcSeries {
    double A0, g2, g4, g6, g8, g10;
};

ArcSeries arcSeries(double e2)
{
    const double e4 = e2 * e2, e6 = e4 * e2, e8 = e6 * e2, e10 = e8 * e2;
    const double A0 = 1 + (e2 * 3) / 4 + (e4 * 45) / 64 + (e6 * 175) / 256 + (e8 * 11025) / 16384 +
                      (e10 * 43659) / 65536;
    const double A2 = (e2 * 3) / 4 + (e4 * 15) / 16 + (e6 * 525) / 512 + (e8 * 2205) / 2048 +
                      (e10 * 72765) / 65536;
    const double A4 = (e4 * 15) / 64 + (e6 * 105) / 256 + (e8 * 2205) / 4096 + (e10 * 10395) / 16384;
    const double A6 = (e6 * 35) / 512 + (e8 * 315) / 2048 + (e10 * 31185) / 131072;
    const double A8 = (e8 * 315) / 16384 + (e10 * 3465) / 65536;
    const double A10 = (e10 * 693) / 131072;
    return {A0, A2 / (2 * A0), A4 / (4 * A0), A6 / (6 * A0), A8 / (8 * A0), A10 / (10 * A0)};
}

// The fixed-point step of the footpoint iteration; phi0 is the constant term.
double footpointStep(double phi0, const ArcSeries& s, double p)
{
    return phi0 + s.g2 * std::sin(2 * p) - s.g4 * std::sin(4 * p) + s.g6 * std::sin(6 * p) -
           s.g8 * std::sin(8 * p) + s.g10 * std::sin(10 * p);
}

}  // namespace

Ellipsoid sourceEllipsoid(int16_t direction)
{
    return direction == 1 ? kGrs80 : kInternational1924;
}

Footpoint footpointLatitude(double northing, const Ellipsoid& ell)
{
    const ArcSeries s = arcSeries(ell.e2);
    const double yReduced = northing / kScale;
    const double phi0 = yReduced / ((s.A0 * (1 - ell.e2)) * ell.a);

    double current = footpointStep(phi0, s, phi0);
    double change = std::fabs(phi0 - current);
    int evaluations = 1;
    while (change > kTolerance) {
        if (evaluations == kFootpointCap)
            throw platform::RunError(platform::kNoConvergence,
                                     "Footpoint latitude did not converge");
        const double previous = current;
        current = footpointStep(phi0, s, previous);
        change = std::fabs(previous - current);
        ++evaluations;
    }
    return {current, evaluations};
}

template <fp::CheckPolicy Policy>
LonLat utm2ll(double easting, double northing, const RunSettings& run)
{
    fp::begin<Policy>(easting, northing);
    const Ellipsoid ell = sourceEllipsoid(run.direction);
    const double e2 = ell.e2;
    const double ep2 = e2 / (1 - e2);
    const double ep4 = ep2 * ep2;

    // The integer 6*zone - 183 is exact for every 16-bit zone.
    const double rho = 180 / run.PI;
    const double lambda0 = static_cast<double>(6 * static_cast<int32_t>(run.zone) - 183) / rho;

    const double x = (easting - kFalseEasting) / kScale;
    const double phiF = footpointLatitude(northing, ell).latitude;

    const double sinF = std::sin(phiF), cosF = std::cos(phiF);
    const double sin2 = sinF * sinF, cos2 = cosF * cosF, cos4 = cos2 * cos2;
    const double t = sinF / cosF, t2 = t * t, t4 = t2 * t2;
    const double sec = 1 / cosF;
    const double N = ell.a / std::sqrt(1 - e2 * sin2);
    const double N2 = N * N, N3 = N2 * N, N4 = N3 * N, N5 = N4 * N, N6 = N5 * N;

    const double P2 = (1 + ep2 * cos2) * t * 0.5 / N2;
    const double P4 = (5 + 3 * t2 + 6 * ep2 * cos2 - 6 * ep2 * sin2 - 3 * ep4 * cos4 -
                       9 * ep4 * cos2 * sin2) *
                      t / (24 * N4);
    const double P6 = (61 + 90 * t2 + 45 * t4 + 107 * ep2 * cos2 - 162 * ep2 * sin2 -
                       45 * ep2 * t2 * sin2) *
                      t / (720 * N6);

    const double Q1 = sec / N;
    const double Q3 = (1 + 2 * t2 + ep2 * cos2) * sec / (6 * N3);
    const double Q5 = (5 + 28 * t2 + 24 * t4 + 6 * ep2 * cos2 + 8 * ep2 * sin2) * sec / (120 * N5);

    const double x2 = x * x, x3 = x2 * x, x4 = x3 * x, x5 = x4 * x, x6 = x5 * x;

    LonLat result;
    result.lat = phiF - P2 * x2 + P4 * x4 - P6 * x6;
    result.lon = (x * Q1 - Q3 * x3 + Q5 * x5) + lambda0;
    fp::check<Policy>(result.lon, result.lat);
    return result;
}

template LonLat utm2ll<fp::Checked>(double, double, const RunSettings&);
template LonLat utm2ll<fp::Deferred>(double, double, const RunSettings&);

}  // namespace kovra
