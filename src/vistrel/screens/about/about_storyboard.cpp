#include "vistrel/screens/about/about_storyboard.hpp"

#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/about/info_view_controller.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"

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
