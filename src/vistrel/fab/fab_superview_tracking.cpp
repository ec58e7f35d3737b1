#include "vistrel/fab/fab_superview_tracking.hpp"

#include "vistrel/fab/fab.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace vistrel {

FabSuperviewTracking::~FabSuperviewTracking() { removeAll(); }

void FabSuperviewTracking::observe(platform::ui::View& object, std::string keyPath) {
    auto held = object.weak_from_this().lock();
    if (!held) return;  // a view no pointer holds cannot be followed safely
    object.addObserver(shared_from_this(), keyPath);
    registrations_.push_back({held, std::move(keyPath)});
}

void FabSuperviewTracking::removeAll() {
    auto registrations = std::move(registrations_);
    registrations_.clear();
    for (const auto& r : registrations)
        if (auto object = r.object.lock()) object->removeObserver(this, r.keyPath);
}

void FabSuperviewTracking::observeValue(const std::string& keyPath, platform::ui::View& object,
                                        const platform::ui::KeyValueChange&) {
    // The button lives while this does; hold it for the call in case the change tears
    // its screen down.
    auto keep = fab_->weak_from_this().lock();
    fab_->observeSuperviewChange(object, keyPath);
}

}  // namespace vistrel
