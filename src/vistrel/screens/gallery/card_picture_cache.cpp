#include "vistrel/screens/gallery/card_picture_cache.hpp"

#include <system_error>

#include "vistrel/platform/graphics/display_decoding.hpp"

namespace vistrel {

std::optional<CardPictureCache::FileStamp> CardPictureCache::stampOf(const std::filesystem::path& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    const auto modified = ec ? std::filesystem::file_time_type{} : std::filesystem::last_write_time(path, ec);
    if (ec) return std::nullopt;
    return FileStamp{size, modified};
}

std::optional<platform::graphics::Image> CardPictureCache::find(const std::string& key, int pixelWidth,
                                                                int pixelHeight,
                                                                const std::optional<FileStamp>& stamp) {
    std::lock_guard lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->key != key || it->width != pixelWidth || it->height != pixelHeight) continue;
        if (!it->stamp || it->stamp == stamp) {
            entries_.splice(entries_.begin(), entries_, it);
            return entries_.front().picture;
        }
        entries_.erase(it);  // the file changed
        break;
    }
    return std::nullopt;
}

void CardPictureCache::keep(const std::string& key, int pixelWidth, int pixelHeight, const FileStamp& stamp,
                            platform::graphics::Image picture) {
    keepEntry({key, pixelWidth, pixelHeight, stamp, std::move(picture)}, std::nullopt);
}

void CardPictureCache::keepAnswer(const std::string& key, int pixelWidth, int pixelHeight, std::uint64_t era,
                                  platform::graphics::Image picture) {
    keepEntry({key, pixelWidth, pixelHeight, std::nullopt, std::move(picture)}, era);
}

void CardPictureCache::keepEntry(Entry entry, std::optional<std::uint64_t> era) {
    if (capacity_ == 0 || !platform::graphics::isDisplaySized(entry.picture, entry.width, entry.height)) return;
    std::lock_guard lock(mutex_);
    if (era && *era != era_) return;
    entries_.remove_if([&](const Entry& kept) {
        return kept.key == entry.key && kept.width == entry.width && kept.height == entry.height;
    });
    entries_.push_front(std::move(entry));
    if (entries_.size() > capacity_) entries_.pop_back();
}

void CardPictureCache::forgetAnswers() {
    std::lock_guard lock(mutex_);
    ++era_;
    entries_.remove_if([](const Entry& entry) { return !entry.stamp; });
}

std::uint64_t CardPictureCache::era() const {
    std::lock_guard lock(mutex_);
    return era_;
}

std::size_t CardPictureCache::count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

}  // namespace vistrel
