#pragma once
// The kit's public error: a plain value that completions carry beside an optional
// result. Its raw value is the localisation key of its message.
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

enum class VistrelError {
    notEnrichedImage,    // "actions.list.error.not_enriched_image": the page was not recognised
    serviceUnavailable,  // "actions.list.error.service_unavailable": the service failed to answer
};

std::string_view rawValue(VistrelError error);

// The error whose raw value is exactly `raw`; none for any other text.
std::optional<VistrelError> vistrelErrorFromRawValue(std::string_view raw);

// The localised message; the key itself when the strings table or the bundle lacks it.
std::string localizedString(VistrelError error);

}  // namespace vistrel
