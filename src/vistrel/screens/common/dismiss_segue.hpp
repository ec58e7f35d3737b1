#pragma once
// A segue that closes the screen it starts from, by modal dismissal (animated), instead
// of showing its destination, which is never shown. From the root of a presented
// navigation controller it closes that navigation controller.
#include "vistrel/platform/ui/storyboard_segue.hpp"

namespace vistrel {

class DismissSegue : public platform::ui::StoryboardSegue {
public:
    using platform::ui::StoryboardSegue::StoryboardSegue;

    void perform() override;
};

}  // namespace vistrel
