#pragma once
// The kit's storyboard "About": its initial screen is the about page.
#include <memory>
#include <string_view>

namespace platform::ui {
class Storyboard;
}

namespace vistrel {

inline constexpr std::string_view kAboutStoryboardName = "About";

// Registers (or registers again) "About" as a storyboard of the kit's bundle.
void registerAboutStoryboard();

// "About" from the kit's bundle, registered on first use. None, with a log line, when
// the bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> aboutStoryboard();

}  // namespace vistrel
