#include "vistrel/platform/services/map_item.hpp"

#include <cmath>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/ui/application.hpp"

namespace platform::services {

std::optional<std::string> MapItem::mapAddress(const MapLaunchOptions& options) const {
    const Coordinate center = options.mapCenter.value_or(coordinate_);
    if (!center.isValid()) {
        log(concatenate("MapItem :: no valid coordinate (", degreesText(center.latitude), ", ",
                        degreesText(center.longitude), "); the map is not opened"));
        return std::nullopt;
    }
    std::string address = concatenate(mapAddressScheme, ":?ll=", degreesText(center.latitude), ",", degreesText(center.longitude));
    if (name_ && !name_->empty()) address += concatenate("&q=", net::percentEncodedQueryValue(*name_));
    if (auto span = options.mapSpan) {
        const bool sound = std::isfinite(span->latitudeDelta) && std::isfinite(span->longitudeDelta) &&
                           span->latitudeDelta >= 0 && span->longitudeDelta >= 0;
        if (!sound) {
            log("MapItem :: the span is negative or not finite; the map is not opened");
            return std::nullopt;
        }
        address += concatenate("&spn=", degreesText(span->latitudeDelta), ",", degreesText(span->longitudeDelta));
    }
    return address;
}

bool MapItem::openInMaps(const MapLaunchOptions& options) const {
    auto address = mapAddress(options);
    return address && ui::Application::shared().open(*address);
}

}  // namespace platform::services
