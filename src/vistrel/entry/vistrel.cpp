#include "vistrel/entry/vistrel.hpp"

#include <vector>

#include "vistrel/core/fonts.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/random.hpp"
#include "vistrel/platform/foundation/wait_bound.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/screens/camera/main_storyboard.hpp"
#include "vistrel/screens/common/vistrel_navigation_controller.hpp"

namespace vistrel {

void Vistrel::setApiKey(const std::string& apiKey) {
    // Its sets wait for turns at writing as long as one does, in all: behind a process
    // stopped in its turn the host's main thread is held once, and what is not written now
    // is written by the next set, or as the process ends.
    const platform::WaitBound oneWait(platform::callWaitBound);
    VistrelPref::setApiKey(apiKey);

    // Any stored text, even an empty one, means the first run has been done.
    if (!VistrelPref::getApplicationInstanceId()) {
        VistrelPref::setUseBlackAndWhite(true);
        VistrelPref::setApplicationInstanceId(platform::makeUuidString());
    }

    const auto& configuration = SdkConfiguration::shared();
    std::vector<std::string> fonts;
    for (ConfigurationKey key : {ConfigurationKey::iconFontFileName, ConfigurationKey::fontSFProTextHeavy,
                                 ConfigurationKey::fontSFProTextMedium, ConfigurationKey::fontSFProTextRegular,
                                 ConfigurationKey::fontSFProTextHeavyItalic,
                                 ConfigurationKey::fontSFProTextMediumItalic,
                                 ConfigurationKey::fontSFProTextRegularItalic})
        fonts.push_back(configuration.valueForKey(key));
    registerFontsWithFilenames(fonts);
}

namespace {

std::shared_ptr<platform::ui::NavigationController> standIn() {
    platform::log("Vistrel :: no screen to show; an empty navigation controller stands in");
    return std::make_shared<VistrelNavigationController>();
}

}  // namespace

std::shared_ptr<platform::ui::NavigationController> Vistrel::rootViewController() {
    auto storyboard = mainStoryboard();
    if (!storyboard) return standIn();
    auto initial = storyboard->instantiateInitialViewController();
    auto navigation = std::dynamic_pointer_cast<platform::ui::NavigationController>(initial);
    if (!navigation) {
        if (initial) platform::log("Vistrel :: the initial screen of storyboard \"Main\" is no navigation controller");
        return standIn();
    }
    return navigation;
}

std::shared_ptr<platform::ui::NavigationController> Vistrel::cameraViewController() {
    auto camera = CameraViewController::instantiate();
    if (!camera) return standIn();
    camera->hideNavigationButtons = true;  // before its view loads
    return std::make_shared<VistrelNavigationController>(camera);
}

}  // namespace vistrel
