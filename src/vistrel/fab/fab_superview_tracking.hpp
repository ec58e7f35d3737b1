#pragma once
// The key-value observations a floating button makes on its superview ("frame",
// "bounds") and on the scroll views above it ("contentOffset"). Each registration is
// recorded as it is made and exactly those are removed, so a change of `sticky` or of
// the superview chain in between never removes one that was not made nor leaves one
// behind. Owned by its button; it dies with it, and its destructor removes what is left,
// so nothing observed ever calls a destroyed button.
#include <memory>
#include <string>
#include <vector>

#include "vistrel/platform/ui/key_value_observing.hpp"

namespace platform::ui {
class View;
}

namespace vistrel {

class Fab;

class FabSuperviewTracking final : public platform::ui::KeyValueObserver,
                                   public std::enable_shared_from_this<FabSuperviewTracking> {
public:
    explicit FabSuperviewTracking(Fab& fab) : fab_(&fab) {}
    ~FabSuperviewTracking() override;

    void observe(platform::ui::View& object, std::string keyPath);
    // Removes every registration still recorded.
    void removeAll();
    std::size_t count() const { return registrations_.size(); }

    void observeValue(const std::string& keyPath, platform::ui::View& object,
                      const platform::ui::KeyValueChange& change) override;

private:
    struct Registration {
        std::weak_ptr<platform::ui::View> object;
        std::string keyPath;
    };
    Fab* fab_;
    std::vector<Registration> registrations_;
};

}  // namespace vistrel
