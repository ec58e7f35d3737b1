#pragma once
// The kit's storyboard "Actions": the screens an action opens, by identifier: the in-app
// browser "WebViewController" and the text page "ActionTextViewController"; and the action
// list "DisplayActionsViewController" with its row prototype "ImageActionTableViewCell".
#include <memory>
#include <string_view>

namespace platform::ui {
class Storyboard;
}

namespace vistrel {

inline constexpr std::string_view kActionsStoryboardName = "Actions";
inline constexpr std::string_view kWebViewControllerIdentifier = "WebViewController";
inline constexpr std::string_view kActionTextViewControllerIdentifier = "ActionTextViewController";
inline constexpr std::string_view kDisplayActionsViewControllerIdentifier = "DisplayActionsViewController";

// Registers (or registers again) "Actions" as a storyboard of the kit's bundle.
void registerActionsStoryboard();

// "Actions" from the kit's bundle, registered on first use. None, with a log line, when
// the bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> actionsStoryboard();

}  // namespace vistrel
