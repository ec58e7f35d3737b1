#pragma once
// The card-sized photos of a gallery, kept for the cards that were last on screen: a
// reload (each store save brings one) shows them again without reading them anew. A
// photo the kit reads from its file is kept while the file stays as it was; a picture a
// host's store answered (its own getPicture) is kept by key until the store's records
// next change, and one asked for before that change is not kept at all. The cache holds
// a fixed number of pictures, each no larger than its card asked for, so its memory
// stays that of a few screens of cards. Safe from any thread.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <mutex>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"

namespace vistrel {

class CardPictureCache {
public:
    // What tells one state of a photo file from another: its size and its last change.
    struct FileStamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    // None when the file cannot be looked at.
    static std::optional<FileStamp> stampOf(const std::filesystem::path& path);

    explicit CardPictureCache(std::size_t capacity = 8) : capacity_(capacity) {}

    // The picture kept for the key at that size: a host's store's answer, or the kit's
    // photo while its file has the stamp it had when read (none: no file now).
    std::optional<platform::graphics::Image> find(const std::string& key, int pixelWidth, int pixelHeight,
                                                  const std::optional<FileStamp>& stamp);
    // Keeps the picture of the file with that stamp, the oldest use let go past the
    // capacity; a picture larger than the size asks for (its display size, covering the
    // size) is never kept.
    void keep(const std::string& key, int pixelWidth, int pixelHeight, const FileStamp& stamp,
              platform::graphics::Image picture);
    // Keeps, as above, a host's store's answer asked for when the cache was at `era`;
    // not kept when the records changed since.
    void keepAnswer(const std::string& key, int pixelWidth, int pixelHeight, std::uint64_t era,
                    platform::graphics::Image picture);
    // The store's records changed: the host's answers kept go, and those on their way
    // are not kept.
    void forgetAnswers();
    std::uint64_t era() const;
    std::size_t count() const;

private:
    struct Entry {
        std::string key;
        int width = 0, height = 0;
        std::optional<FileStamp> stamp;  // none: a host's store's answer
        platform::graphics::Image picture;
    };
    // Keeps the entry unless it is too large, or a host's answer asked before `era` ended.
    void keepEntry(Entry entry, std::optional<std::uint64_t> era);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::list<Entry> entries_;  // most recently used first
    std::uint64_t era_ = 0;
};

}  // namespace vistrel
