#include "screens/about_storyboard.hpp"

#include <string>

#include "core/vistrel_bundle.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/kit_storyboard.hpp"
#include "ui/info_view_controller.hpp"

namespace vistrel {

void registerAboutStoryboard() {
    using platform::ui::Storyboard;
    using platform::ui::StoryboardDefinition;
    Storyboard::registerStoryboard(
        std::string(kAboutStoryboardName), std::string(kBundleIdentifier), [](StoryboardDefinition& about) {
            about.setInitialViewController([](Storyboard&) { return std::make_shared<InfoViewController>(); });
        });
}

std::shared_ptr<platform::ui::Storyboard> aboutStoryboard() {
    return kitStoryboard(kAboutStoryboardName, registerAboutStoryboard);
}

}  // namespace vistrel
