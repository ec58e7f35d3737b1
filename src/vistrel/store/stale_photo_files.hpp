#pragma once
// Photo files that stopped runs left half written or kept aside: a photo is written to
// "<name>.jpg.tmp-<number>" and renamed, and the photo a new one replaces is kept under
// such a name until the new record is saved, so a run killed in between leaves the
// temporary behind for good. Only that pattern is touched, only directly in the folder,
// only regular files, and only those too old for any live save, of this host or another
// sharing the folder, to own (platform::staleTemporaryAge).
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace vistrel {

// True for a name of that pattern.
bool isTemporaryPhotoName(std::string_view name);

// Removes the stale temporary photo files of the folder; gives how many went.
std::size_t removeStaleTemporaryPhotos(const std::filesystem::path& folder);

}  // namespace vistrel
