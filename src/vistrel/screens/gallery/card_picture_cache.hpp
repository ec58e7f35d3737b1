#pragma once
// The card-sized photos of a gallery page, kept for the cards that were last on screen:
// a reload (each store save brings one) shows them again without decoding their files
// anew. A photo whose file changed since it was decoded is decoded again. The cache
// holds a fixed number of pictures, so its memory stays that of a few screens of cards.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class CardPictureCache {
public:
    explicit CardPictureCache(std::size_t capacity = 8) : capacity_(capacity) {}

    // The photo of the key at the smallest scale covering the size, from the cache while
    // its file is unchanged, else from the store (and kept, the oldest use let go).
    std::optional<platform::graphics::Image> picture(PersistanceController& store, const std::string& key,
                                                     int pixelWidth, int pixelHeight);
    std::size_t count() const { return entries_.size(); }

private:
    struct Entry {
        std::string key;
        int width = 0, height = 0;
        std::uintmax_t fileSize = 0;
        std::filesystem::file_time_type modified;
        platform::graphics::Image picture;
    };
    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently used first
};

}  // namespace vistrel
