#pragma once
// The button of one gallery tab: its title takes the primary colour while its tab is
// the one shown, the theme's black otherwise.
#include "vistrel/platform/ui/button.hpp"

namespace vistrel {

class LibraryButton : public platform::ui::Button {
public:
    using platform::ui::Button::Button;

    bool isActivated() const { return isActivated_; }
    // Colours the normal-state title on every assignment, also of the same value.
    void setIsActivated(bool activated);

private:
    bool isActivated_ = false;
};

}  // namespace vistrel
