#include "vistrel/screens/gallery/card_picture_cache.hpp"

#include <system_error>

namespace vistrel {

std::optional<platform::graphics::Image> CardPictureCache::picture(PersistanceController& store,
                                                                   const std::string& key, int pixelWidth,
                                                                   int pixelHeight) {
    const auto path = store.picturePath(key);
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const auto modified = ec ? std::filesystem::file_time_type{} : std::filesystem::last_write_time(path, ec);
    if (ec) return std::nullopt;
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key != key || it->width != pixelWidth || it->height != pixelHeight) continue;
        if (it->fileSize == size && it->modified == modified) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().picture;
        }
        entries_.erase(it);
        break;
    }
    auto decoded = store.getPictureCovering(key, pixelWidth, pixelHeight);
    if (!decoded || capacity_ == 0) return decoded;
    entries_.push_front({key, pixelWidth, pixelHeight, size, modified, *decoded});
    if (entries_.size() > capacity_) entries_.pop_back();
    return decoded;
}

}  // namespace vistrel
