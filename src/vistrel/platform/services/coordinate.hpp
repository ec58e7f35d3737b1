#pragma once
// Places on the earth: a coordinate in degrees, a span of degrees, a region around a
// centre, and a placemark (a named place that may have a location).
#include <optional>
#include <string>

namespace platform::services {

struct Coordinate {
    double latitude = 0;
    double longitude = 0;

    // Finite, latitude within [-90, 90] and longitude within [-180, 180].
    bool isValid() const;
    bool operator==(const Coordinate&) const = default;
};

struct CoordinateSpan {
    double latitudeDelta = 0;
    double longitudeDelta = 0;
    bool operator==(const CoordinateSpan&) const = default;
};

struct CoordinateRegion {
    Coordinate center;
    CoordinateSpan span;
};

// The region `latitudinalMeters` from north to south and `longitudinalMeters` from east
// to west around `center`. Negative or non-finite distances count as 0; a longitude span
// near the poles is capped at 360 degrees.
CoordinateRegion coordinateRegionWithDistance(Coordinate center, double latitudinalMeters,
                                              double longitudinalMeters);

struct Placemark {
    std::optional<std::string> name;
    std::optional<Coordinate> location;
    bool operator==(const Placemark&) const = default;
};

// A number of degrees as a map address writes it: fixed notation, at most six decimals
// (about 10 cm), no trailing zeros, never "-0".
std::string degreesText(double degrees);

}  // namespace platform::services
