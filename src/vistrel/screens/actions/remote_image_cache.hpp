#pragma once
// The decoded pictures of remote addresses, the most recently used kept first, under a
// bound in bytes: past it the least recently used go. An entry may also record that an
// address gave no picture. Not thread-safe: its owner guards it.
#include <cstddef>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

#include "vistrel/platform/graphics/image.hpp"

namespace vistrel {

class RemoteImageCache {
public:
    using Entry = std::optional<platform::graphics::Image>;  // none: the answer was no picture

    explicit RemoteImageCache(std::size_t maxBytes) : maxBytes_(maxBytes) {}

    // The entry of that key, which becomes the most recently used; none when absent.
    std::optional<Entry> find(const std::string& key);
    // Keeps the entry in place of any of that key, then drops the least recently used
    // until the bound holds; an entry over the whole bound is not kept.
    void insert(const std::string& key, Entry entry);
    void clear();

    std::size_t bytes() const { return bytes_; }
    std::size_t count() const { return order_.size(); }

    // What an entry counts for: its frames' pixels and the key.
    static std::size_t costOf(const std::string& key, const Entry& entry);

private:
    struct Item {
        std::string key;
        Entry entry;
        std::size_t cost;
    };
    void erase(std::list<Item>::iterator item);

    std::size_t maxBytes_;
    std::size_t bytes_ = 0;
    std::list<Item> order_;  // most recently used first
    std::unordered_map<std::string, std::list<Item>::iterator> index_;
};

}  // namespace vistrel
