#pragma once
// Photo files that stopped runs left half written or set aside: a photo is written to
// "<name>.jpg.tmp-<number>" and renamed, and the photo a new one replaces is set aside
// under such a name until the new record is saved, so a run killed in between leaves the
// temporary behind for good. Only that pattern is touched, only directly in the folder,
// only regular files and links, and only those too old for any live save, of this host
// or another sharing the folder, to own (platform::staleTemporaryAge).
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace vistrel {

// True for a name of that pattern.
bool isTemporaryPhotoName(std::string_view name);

// Clears the stale temporary photo files of the folder: one whose photo name nothing
// has is put back under it (a photo set aside is never lost), any other removed. Gives
// how many were cleared.
std::size_t removeStaleTemporaryPhotos(const std::filesystem::path& folder);

}  // namespace vistrel
