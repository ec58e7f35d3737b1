#include "vistrel/core/vistrel_error.hpp"

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/enum_table.hpp"

namespace vistrel {

namespace {
constexpr platform::EnumTable<VistrelError, std::string_view, 2> kRawValues{{
    {VistrelError::notEnrichedImage, "actions.list.error.not_enriched_image"},
    {VistrelError::serviceUnavailable, "actions.list.error.service_unavailable"},
}};
}  // namespace

std::string_view rawValue(VistrelError error) { return platform::rawValueIn(kRawValues, error); }

std::optional<VistrelError> vistrelErrorFromRawValue(std::string_view raw) {
    return platform::caseIn(kRawValues, raw);
}

std::string localizedString(VistrelError error) { return tr(rawValue(error)); }

}  // namespace vistrel
