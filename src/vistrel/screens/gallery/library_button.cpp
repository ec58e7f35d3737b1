#include "vistrel/screens/gallery/library_button.hpp"

#include "vistrel/core/palette.hpp"

namespace vistrel {

void LibraryButton::setIsActivated(bool activated) {
    setTitleColor(activated ? vistrelPrimary() : vistrelBlack(), platform::ui::ControlState::normal);
    isActivated_ = activated;
}

}  // namespace vistrel
