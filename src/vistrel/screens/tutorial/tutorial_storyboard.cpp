#include "vistrel/screens/tutorial/tutorial_storyboard.hpp"

#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/page_view_controller.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/tutorial/tutorial_content_view_controller.hpp"
#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"

namespace vistrel {

void registerTutorialStoryboard() {
    using platform::ui::Storyboard;
    using platform::ui::StoryboardDefinition;
    Storyboard::registerStoryboard(
        std::string(kTutorialStoryboardName), std::string(kBundleIdentifier), [](StoryboardDefinition& tutorial) {
            tutorial.setInitialViewController([](Storyboard&) { return std::make_shared<TutorialViewController>(); });
            tutorial.addViewController(std::string(kTutorialContentViewControllerIdentifier),
                                       [](Storyboard&) { return std::make_shared<TutorialContentViewController>(); });
            tutorial.addViewController(std::string(kTutorialPageViewControllerIdentifier),
                                       [](Storyboard&) { return std::make_shared<platform::ui::PageViewController>(); });
            tutorial.addEmbedSegue("", std::string(kShowPageViewControllerSegue),
                                   std::string(kTutorialPageViewControllerIdentifier), kTutorialPagesContainerTag);
        });
}

std::shared_ptr<platform::ui::Storyboard> tutorialStoryboard() {
    return kitStoryboard(kTutorialStoryboardName, registerTutorialStoryboard);
}

}  // namespace vistrel
