#pragma once
// The kit's own bundle and the lookup of its localised texts.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/bundle.hpp"

namespace vistrel {

// The identifier in the bundle's Info.plist.
inline constexpr std::string_view kBundleIdentifier = "io.vistrel.sdk";

// The kit's bundle, looked up afresh on each call: $VISTREL_BUNDLE_PATH, then a
// "Vistrel.bundle" folder beside the library, then (for the library in the build tree,
// not an installed copy) the build tree's bundle. None when no candidate is a bundle
// with the kit's identifier.
std::shared_ptr<const platform::Bundle> vistrelBundle();

// Replaces the candidate folders (tests point the kit elsewhere, or at nothing);
// no value restores the default search.
void overrideBundleLocations(std::optional<std::vector<std::filesystem::path>> locations);

// The localised text for a dotted key from the bundle's default strings table; the key
// itself when the table lacks it or there is no bundle.
std::string tr(std::string_view key);

}  // namespace vistrel
