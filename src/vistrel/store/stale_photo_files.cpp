#include "vistrel/store/stale_photo_files.hpp"

#include "vistrel/platform/foundation/file_io.hpp"

namespace vistrel {

namespace {

// "<name>.jpg": a photo's name, not ".jpg" alone.
bool isPhotoName(std::string_view name) {
    constexpr std::string_view extension = ".jpg";
    return name.size() > extension.size() && name.ends_with(extension);
}

}  // namespace

bool isTemporaryPhotoName(std::string_view name) {
    const auto target = platform::temporaryTargetOf(name);
    return target && isPhotoName(*target);
}

std::size_t removeStaleTemporaryPhotos(const std::filesystem::path& folder) {
    // A photo set aside while its replacement was written, by a run stopped before it
    // was put back, is the only copy of that photo: it takes its name again.
    return platform::removeStaleTemporaries(folder, isPhotoName, platform::StaleTemporaries::restoreWhereTargetIsMissing);
}

}  // namespace vistrel
