#pragma once
// The demo's road of one scan through the screens, as a user takes it: the camera
// screen photographing the photo file (camera.png), the shutter, the scan against a
// loopback recognition service, the action list (actions.png), a tap on its first
// action, and back to the camera screen. Offline, the photo goes to the waiting list.
#include <filesystem>
#include <memory>
#include <optional>

namespace platform::ui {
class NavigationController;
class Window;
}  // namespace platform::ui

namespace vistrel {
class CameraViewController;
}

struct CameraRoadDemo {
    std::shared_ptr<platform::ui::Window> window;  // shown, with `navigation` as its root
    std::shared_ptr<platform::ui::NavigationController> navigation;  // Vistrel::rootViewController()
    std::shared_ptr<vistrel::CameraViewController> camera;           // on top again at the end
};

// Runs the road, printing a line for each step and writing the pictures into `out`.
// `answer` is what the loopback recognition service answers with; without one nothing
// listens and only the photo's codes count. The simulated network stays as chosen
// (unreachable when `offline`); the loopback services stop when it returns. None, after a line, when the kit gives no camera
// screen or the recognition service cannot be started.
std::shared_ptr<CameraRoadDemo> runCameraRoad(const std::filesystem::path& out, const std::filesystem::path& photo,
                                              const std::optional<std::filesystem::path>& answer, bool offline);
