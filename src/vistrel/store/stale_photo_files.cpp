#include "vistrel/store/stale_photo_files.hpp"

#include <algorithm>
#include <system_error>

namespace vistrel {

namespace {

// When the kit was loaded: files written since may belong to this run.
const std::filesystem::file_time_type kitLoaded = std::filesystem::file_time_type::clock::now();

constexpr std::string_view kTemporaryMark = ".jpg.tmp-";

}  // namespace

bool isTemporaryPhotoName(std::string_view name) {
    const auto mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos || mark == 0) return false;
    const std::string_view number = name.substr(mark + kTemporaryMark.size());
    return !number.empty() && number.size() <= 20 &&
           std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::size_t removeStaleTemporaryPhotos(const std::filesystem::path& folder) {
    std::size_t removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto& path = it->path();
        std::error_code fileError;
        if (!isTemporaryPhotoName(path.filename().native())) continue;
        if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, fileError))) continue;
        const auto written = std::filesystem::last_write_time(path, fileError);
        if (fileError || written >= kitLoaded) continue;
        if (std::filesystem::remove(path, fileError)) ++removed;
    }
    return removed;
}

}  // namespace vistrel
