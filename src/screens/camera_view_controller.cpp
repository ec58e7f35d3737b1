#include "screens/camera_view_controller.hpp"

#include "platform/foundation/log.hpp"
#include "platform/ui/screen.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/main_storyboard.hpp"

namespace vistrel {

std::shared_ptr<CameraViewController> CameraViewController::instantiate() {
    auto storyboard = mainStoryboard();
    if (!storyboard) return nullptr;
    auto made = storyboard->instantiateViewController(kCameraViewControllerIdentifier);
    auto camera = std::dynamic_pointer_cast<CameraViewController>(made);
    if (made && !camera) platform::log("Vistrel :: the screen \"CameraViewController\" of storyboard \"Main\" is no camera screen");
    return camera;
}

void CameraViewController::loadView() {
    auto view = std::make_shared<platform::ui::View>(platform::ui::Screen::main().bounds());
    view->setBackgroundColor(platform::graphics::Color::black());
    setView(view);
}

}  // namespace vistrel
