// Observation of view properties: weak observers, told synchronously after a change.
#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

void View::addObserver(const std::shared_ptr<KeyValueObserver>& observer, std::string keyPath) {
    if (!observer) return;
    observations_.push_back({observer, observer.get(), std::move(keyPath)});
}

bool View::removeObserver(const KeyValueObserver* observer, std::string_view keyPath) {
    // The most recent matching registration goes first.
    for (auto it = observations_.rbegin(); it != observations_.rend(); ++it) {
        if (it->identity == observer && it->keyPath == keyPath) {
            observations_.erase(std::next(it).base());
            return true;
        }
    }
    log(concatenate("View :: cannot remove an observer for the key path \"", escapeControlCharacters(keyPath),
                    "\" because it is not registered as an observer"));
    return false;
}

std::size_t View::observationCount(std::string_view keyPath) const {
    return static_cast<std::size_t>(std::count_if(observations_.begin(), observations_.end(), [&](const auto& o) {
        return o.keyPath == keyPath && !o.observer.expired();
    }));
}

void View::didChangeValue(const std::string& keyPath, const ObservedValue& oldValue, const ObservedValue& newValue) {
    if (observations_.empty()) return;
    // Observers that are gone leave quietly.
    std::erase_if(observations_, [](const auto& o) { return o.observer.expired(); });
    // A copy: an observer may add or remove observations, or change the view again.
    auto self = weak_from_this().lock();
    const auto observations = observations_;
    const KeyValueChange change{oldValue, newValue};
    for (const auto& o : observations) {
        if (o.keyPath != keyPath) continue;
        if (auto observer = o.observer.lock()) observer->observeValue(keyPath, *this, change);
    }
}

}  // namespace platform::ui
