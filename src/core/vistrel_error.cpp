#include "core/vistrel_error.hpp"

#include "core/vistrel_bundle.hpp"

namespace vistrel {

std::string_view rawValue(VistrelError error) {
    switch (error) {
        case VistrelError::notEnrichedImage: return "actions.list.error.not_enriched_image";
    }
    return "";
}

std::optional<VistrelError> vistrelErrorFromRawValue(std::string_view raw) {
    if (raw == rawValue(VistrelError::notEnrichedImage)) return VistrelError::notEnrichedImage;
    return std::nullopt;
}

std::string localizedString(VistrelError error) { return tr(rawValue(error)); }

}  // namespace vistrel
