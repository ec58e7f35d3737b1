#include "vistrel/platform/services/coordinate.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

namespace platform::services {

namespace {
// Metres in one degree of latitude (mean earth radius 6 371 km).
constexpr double kMetersPerDegree = 6371000.0 * std::numbers::pi / 180.0;

double distance(double meters) { return std::isfinite(meters) && meters > 0 ? meters : 0; }
}  // namespace

bool Coordinate::isValid() const {
    return std::isfinite(latitude) && std::isfinite(longitude) && std::abs(latitude) <= 90 &&
           std::abs(longitude) <= 180;
}

CoordinateRegion coordinateRegionWithDistance(Coordinate center, double latitudinalMeters,
                                              double longitudinalMeters) {
    CoordinateRegion region{center, {}};
    region.span.latitudeDelta = std::min(180.0, distance(latitudinalMeters) / kMetersPerDegree);
    const double parallel = kMetersPerDegree * std::cos(center.latitude * std::numbers::pi / 180.0);
    const double east = distance(longitudinalMeters);
    region.span.longitudeDelta = east == 0 ? 0 : parallel > 1e-9 ? std::min(360.0, east / parallel) : 360.0;
    return region;
}

std::string degreesText(double degrees) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, degrees, std::chars_format::fixed, 6);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

}  // namespace platform::services
