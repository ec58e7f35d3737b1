#include "vistrel/platform/services/activity_item.hpp"

#include <cmath>

#include "vistrel/platform/foundation/concatenate.hpp"

namespace platform::services {

std::string ActivityItem::description() const {
    switch (kind) {
    case Kind::text: return concatenate("text \"", text, "\"");
    case Kind::address: return concatenate("address ", text);
    case Kind::image: {
        if (!image) return "image (none)";
        const auto size = image->size();
        return concatenate("image ", std::to_string(std::lround(size.width)), "x",
                           std::to_string(std::lround(size.height)));
    }
    }
    return {};
}

}  // namespace platform::services
