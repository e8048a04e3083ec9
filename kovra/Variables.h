// Program state of kovra and the types that its modules share. The state lives
// for the whole run; each record overwrites the point fields.
#pragma once

#include <cstdint>
#include <string>

namespace kovra {

// The program's pi: this decimal literal, not the closest double to pi. Every
// angle conversion of the system uses it.
inline constexpr double kProgramPi = 3.14159265358979;

// Semi-major axis a in metres and first eccentricity squared e2.
struct Ellipsoid {
    double a;
    double e2;
};

inline constexpr Ellipsoid kInternational1924{6378388.0, 0.006722670022};  // ED50
inline constexpr Ellipsoid kGrs80{6378137.0, 0.0066943800229};            // ETRS89

struct Variables {
    std::string inputFileName, outputFileName;
    int16_t spacePos = 0;
    std::string lineBuffer;

    std::string pointName;  // trailing blank included
    double coordX = 0.0;    // easting; the interpolation fraction after a grid lookup
    double coordY = 0.0;    // northing; likewise
    std::string lineRest;

    int16_t direction = -1;  // -1 no datum named, 0 ED50 -> ETRS89, 1 ETRS89 -> ED50
    int16_t zone = 0;
    std::string sourceDatum;  // "ED50", "ETRS89" or empty
    double PI = 0.0;          // set to kProgramPi when the run starts
    std::string gridFileName;
};

// Longitude and latitude, in whichever unit the stage at hand works in.
struct LonLat {
    double lon;
    double lat;
};

}  // namespace kovra
