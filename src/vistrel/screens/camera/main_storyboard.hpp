#pragma once
// The kit's storyboard "Main": its initial controller is the kit's navigation controller
// (its top screen decides the orientations) whose root is the camera screen, which the storyboard also holds under the identifier
// "CameraViewController", and the photo migration screen "MigrationViewController",
// which the camera screen presents by the segue "ToMigrationController".
#include <memory>
#include <string_view>

namespace platform::ui {
class Storyboard;
}

namespace vistrel {

inline constexpr std::string_view kMainStoryboardName = "Main";
inline constexpr std::string_view kCameraViewControllerIdentifier = "CameraViewController";

// Registers (or registers again) "Main" as a storyboard of the kit's bundle.
void registerMainStoryboard();

// "Main" from the kit's bundle, registered on first use. None, with a log line, when the
// bundle or the storyboard is missing.
std::shared_ptr<platform::ui::Storyboard> mainStoryboard();

}  // namespace vistrel
