#include "screens/actions_storyboard.hpp"

#include <string>

#include "core/vistrel_bundle.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/kit_storyboard.hpp"
#include "ui/action_text_view_controller.hpp"
#include "ui/web_view_controller.hpp"

namespace vistrel {

void registerActionsStoryboard() {
    using platform::ui::Storyboard;
    using platform::ui::StoryboardDefinition;
    Storyboard::registerStoryboard(
        std::string(kActionsStoryboardName), std::string(kBundleIdentifier), [](StoryboardDefinition& actions) {
            actions.addViewController(std::string(kWebViewControllerIdentifier),
                                      [](Storyboard&) { return std::make_shared<WebViewController>(); });
            actions.addViewController(std::string(kActionTextViewControllerIdentifier),
                                      [](Storyboard&) { return std::make_shared<ActionTextViewController>(); });
        });
}

std::shared_ptr<platform::ui::Storyboard> actionsStoryboard() {
    return kitStoryboard(kActionsStoryboardName, registerActionsStoryboard);
}

}  // namespace vistrel
