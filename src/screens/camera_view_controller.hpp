#pragma once
// The camera screen: the kit's main screen. For now a plain dark screen; the live
// preview, the shutter and the buttons come with the camera.
#include <memory>

#include "platform/ui/view_controller.hpp"

namespace vistrel {

class CameraViewController : public platform::ui::ViewController {
public:
    // The screen "CameraViewController" of storyboard "Main" in the kit's bundle. None,
    // with a log line, when the bundle, the storyboard or that screen is missing.
    static std::shared_ptr<CameraViewController> instantiate();

    // Embedded mode: no gallery, no menu. Only stored; the screen reads it when its view
    // loads and when it shows its buttons again, so set it before the view loads.
    bool hideNavigationButtons = false;

    void loadView() override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
        return platform::ui::StatusBarStyle::lightContent;
    }
};

}  // namespace vistrel
