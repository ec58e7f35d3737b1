#include "vistrel/screens/actions/remote_image_cache.hpp"

namespace vistrel {

namespace {
// The bookkeeping of one entry beside its pixels.
constexpr std::size_t kEntryOverhead = 128;
}  // namespace

std::size_t RemoteImageCache::costOf(const std::string& key, const Entry& entry) {
    std::size_t cost = key.size() + kEntryOverhead;
    if (entry)
        for (const auto& frame : entry->frames()) cost += std::size_t(frame.stride()) * std::size_t(frame.height());
    return cost;
}

std::optional<RemoteImageCache::Entry> RemoteImageCache::find(const std::string& key) {
    auto found = index_.find(key);
    if (found == index_.end()) return std::nullopt;
    order_.splice(order_.begin(), order_, found->second);
    return found->second->entry;
}

void RemoteImageCache::insert(const std::string& key, Entry entry) {
    if (auto found = index_.find(key); found != index_.end()) erase(found->second);
    const std::size_t cost = costOf(key, entry);
    if (cost > maxBytes_) return;
    order_.push_front({key, std::move(entry), cost});
    index_[key] = order_.begin();
    bytes_ += cost;
    while (bytes_ > maxBytes_) erase(std::prev(order_.end()));
}

void RemoteImageCache::clear() {
    order_.clear();
    index_.clear();
    bytes_ = 0;
}

void RemoteImageCache::erase(std::list<Item>::iterator item) {
    bytes_ -= item->cost;
    index_.erase(item->key);
    order_.erase(item);
}

}  // namespace vistrel
