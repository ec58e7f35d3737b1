#pragma once
// The scene "CameraViewController" of storyboard "Main": the camera screen's views as
// the storyboard lays them out, connected to the screen's outlets, with the shutter, the
// flash and the gallery button sending the screen's actions.
#include <memory>

namespace platform::ui {
class View;
}

namespace vistrel {

class CameraViewController;

// The screen's root view, the size of the main screen; the controls keep their places
// against its edges when it is resized.
std::shared_ptr<platform::ui::View> buildCameraScene(const std::shared_ptr<CameraViewController>& screen);

}  // namespace vistrel
