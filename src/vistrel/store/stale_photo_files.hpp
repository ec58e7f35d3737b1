#pragma once
// Photo files an earlier run left half written: a photo is written to
// "<name>.jpg.tmp-<number>" and renamed, so a run killed in between leaves the temporary
// file behind for good. Only that pattern is touched, only directly in the folder, only
// regular files, and only those last written before this process loaded the kit (a
// write of this run may be under way on another thread).
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace vistrel {

// True for a name of that pattern.
bool isTemporaryPhotoName(std::string_view name);

// Removes the stale temporary photo files of the folder; gives how many went.
std::size_t removeStaleTemporaryPhotos(const std::filesystem::path& folder);

}  // namespace vistrel
