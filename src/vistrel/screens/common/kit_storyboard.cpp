#include "vistrel/screens/common/kit_storyboard.hpp"

#include <mutex>
#include <set>
#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

std::string sceneName(std::string_view storyboardName, std::optional<std::string_view> identifier) {
    std::string name = identifier ? "the screen \"" : "the initial screen";
    if (identifier) {
        name += *identifier;
        name += '"';
    }
    name += " of storyboard \"";
    name += storyboardName;
    name += '"';
    return name;
}

}  // namespace

std::shared_ptr<platform::ui::Storyboard> kitStoryboard(std::string_view name, void (*registration)()) {
    {
        static std::mutex mutex;
        static std::set<std::string, std::less<>> registered;
        std::lock_guard lock(mutex);
        if (registration && registered.insert(std::string(name)).second) registration();
    }
    auto bundle = vistrelBundle();
    if (!bundle) {
        std::string line = "Vistrel :: the kit's bundle was not found, so there is no storyboard \"";
        line += name;
        line += '"';
        platform::log(line);
        return nullptr;
    }
    return platform::ui::Storyboard::named(name, bundle.get());
}

std::shared_ptr<platform::ui::ViewController> kitScene(const std::shared_ptr<platform::ui::Storyboard>& storyboard,
                                                       std::string_view storyboardName,
                                                       std::optional<std::string_view> identifier) {
    std::shared_ptr<platform::ui::ViewController> made;
    if (storyboard)
        made = identifier ? storyboard->instantiateViewController(*identifier)
                          : storyboard->instantiateInitialViewController();
    if (!made) {
        std::string line = "Vistrel :: ";
        line += sceneName(storyboardName, identifier);
        line += " is missing; the screen is built without it";
        platform::log(line);
    }
    return made;
}

void logSceneOfOtherClass(std::string_view storyboardName, std::optional<std::string_view> identifier) {
    std::string line = "Vistrel :: ";
    line += sceneName(storyboardName, identifier);
    line += " is of another class; the screen is built without it";
    platform::log(line);
}

}  // namespace vistrel
