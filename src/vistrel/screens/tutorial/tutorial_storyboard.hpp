#pragma once
// The kit's storyboard "Tutorial": its initial screen is the tutorial, which embeds a
// page view controller by the segue "showPageViewController"; the pages are the scene
// "TutorialContentViewController".
#include <memory>
#include <string_view>

namespace platform::ui {
class Storyboard;
}

namespace vistrel {

inline constexpr std::string_view kTutorialStoryboardName = "Tutorial";
inline constexpr std::string_view kTutorialContentViewControllerIdentifier = "TutorialContentViewController";
inline constexpr std::string_view kTutorialPageViewControllerIdentifier = "TutorialPageViewController";
inline constexpr std::string_view kShowPageViewControllerSegue = "showPageViewController";
// The tutorial's subview that the pages fill.
inline constexpr int kTutorialPagesContainerTag = 3001;

// Registers (or registers again) "Tutorial" as a storyboard of the kit's bundle.
void registerTutorialStoryboard();

// "Tutorial" from the kit's bundle, registered on first use. None, with a log line, when
// the bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> tutorialStoryboard();

}  // namespace vistrel
