#pragma once
// Looking up the kit's storyboards and their scenes without ever failing the host: what
// is missing (the bundle, the storyboard, the scene, a scene of another class) gives a
// log line, and a scene lookup then gives the screen built in code, outside any
// storyboard, with everything else it would have had.
#include <memory>
#include <optional>
#include <string_view>

#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace vistrel {

// The storyboard of that name in the kit's bundle, registered by `registration` the first
// time it is asked for. None, with a log line, when the bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> kitStoryboard(std::string_view name, void (*registration)());

// The scene `identifier` (none: the initial scene) of the storyboard, or none with a log
// line naming what is missing.
std::shared_ptr<platform::ui::ViewController> kitScene(const std::shared_ptr<platform::ui::Storyboard>& storyboard,
                                                       std::string_view storyboardName,
                                                       std::optional<std::string_view> identifier);

void logSceneOfOtherClass(std::string_view storyboardName, std::optional<std::string_view> identifier);

// The scene as a `Screen`; the screen built in code when the scene is missing or of
// another class.
template <class Screen>
std::shared_ptr<Screen> kitSceneOrBuilt(const std::shared_ptr<platform::ui::Storyboard>& storyboard,
                                        std::string_view storyboardName, std::optional<std::string_view> identifier) {
    auto made = kitScene(storyboard, storyboardName, identifier);
    if (auto screen = std::dynamic_pointer_cast<Screen>(made)) return screen;
    if (made) logSceneOfOtherClass(storyboardName, identifier);
    return std::make_shared<Screen>();
}

}  // namespace vistrel
