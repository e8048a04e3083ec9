// The program state of kovra and the types its modules share. What a run
// knows before its first record (the files, and what the header said) is one
// value, fixed once the header is read and shared read-only by every stage
// and every worker thread; what each record holds is a value of its own (see
// RecordFields in record.h).
#pragma once

#include <cstdint>
#include <string>

namespace kovra {

// The program's pi: this decimal literal, 3.14159265358979, and deliberately
// not the closest double to pi. Every angle conversion of the system uses it,
// and the coordinates it writes depend on its last bits: do not "correct" it.
inline constexpr double kProgramPi = 3.14159265358979;

// Semi-major axis a in metres and first eccentricity squared e2.
struct Ellipsoid {
    double a;
    double e2;
};

inline constexpr Ellipsoid kInternational1924{6378388.0, 0.006722670022};  // ED50
inline constexpr Ellipsoid kGrs80{6378137.0, 0.0066943800229};            // ETRS89

// The UTM projection's constants, the same for both projections.
inline constexpr double kScale = 0.9996;
inline constexpr double kFalseEasting = 500000.0;

// How far from the central meridian (in degrees of longitude) both projection
// series, on both ellipsoids, stay within 1 mm of an exact transverse Mercator
// at every latitude from 0 to 84 degrees north: measured against PROJ by
// scripts/measure_projection_range.py. Beyond it a point gets a warning.
inline constexpr double kSeriesRangeDegrees = 3.463;

// The settings of a run, fixed once the header is read.
struct RunSettings {
    std::string inputFileName;  // as the command line gave it; messages name it
    int16_t direction = -1;     // -1 no datum named, 0 ED50 -> ETRS89, 1 ETRS89 -> ED50
    int16_t zone = 0;
    std::string sourceDatum;    // "ED50", "ETRS89" or empty; the shift's direction
    double PI = kProgramPi;
};

// Longitude and latitude, in whichever unit the stage at hand works in.
struct LonLat {
    double lon;
    double lat;
};

}  // namespace kovra
