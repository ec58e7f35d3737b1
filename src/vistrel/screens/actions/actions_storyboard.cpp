#include "vistrel/screens/actions/actions_storyboard.hpp"

#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/actions/image_action_table_view_cell.hpp"
#include "vistrel/screens/actions/web_view_controller.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"

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
            actions.addViewController(std::string(kDisplayActionsViewControllerIdentifier), [](Storyboard&) {
                auto screen = std::make_shared<DisplayActionsViewController>();
                screen->rowPrototype = [] { return makeImageActionTableViewCell(); };
                return screen;
            });
        });
}

std::shared_ptr<platform::ui::Storyboard> actionsStoryboard() {
    return kitStoryboard(kActionsStoryboardName, registerActionsStoryboard);
}

}  // namespace vistrel
