#pragma once
// A place to show in the maps application: a coordinate and a name. Opening it hands a
// map address to the application's URL hook:
//   maps:?ll=<latitude>,<longitude>&q=<name>&spn=<latitude delta>,<longitude delta>
// where ll is the centre (the launch options' centre, else the item's coordinate), q the
// percent-encoded name (left out when there is none) and spn the span (left out when the
// launch options give none). Degrees are written in fixed notation with a "." and at most
// six decimals.
#include <optional>
#include <string>

#include "vistrel/platform/services/coordinate.hpp"

namespace platform::services {

// The scheme of map addresses, for the lists of schemes a caller lets through.
inline constexpr const char* mapAddressScheme = "maps";

struct MapLaunchOptions {
    std::optional<Coordinate> mapCenter;
    std::optional<CoordinateSpan> mapSpan;
};

class MapItem {
public:
    explicit MapItem(Coordinate coordinate, std::optional<std::string> name = std::nullopt)
        : coordinate_(coordinate), name_(std::move(name)) {}

    Coordinate coordinate() const { return coordinate_; }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }

    // The map address for these options; none, with a log line, when the centre is no
    // valid coordinate or the span is negative or not finite.
    std::optional<std::string> mapAddress(const MapLaunchOptions& options = {}) const;
    // Hands the map address to the application; whether it was opened.
    bool openInMaps(const MapLaunchOptions& options = {}) const;

private:
    Coordinate coordinate_;
    std::optional<std::string> name_;
};

}  // namespace platform::services
