#include "vistrel/screens/camera/main_storyboard.hpp"

#include <string>

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/ui/storyboard.hpp"
#include "vistrel/screens/camera/camera_scene.hpp"
#include "vistrel/screens/camera/camera_view_controller.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/common/vistrel_navigation_controller.hpp"
#include "vistrel/screens/migration/migration_view_controller.hpp"

namespace vistrel {

void registerMainStoryboard() {
    using platform::ui::Storyboard;
    using platform::ui::StoryboardDefinition;
    Storyboard::registerStoryboard(std::string(kMainStoryboardName), std::string(kBundleIdentifier),
                                   [](StoryboardDefinition& main) {
                                       main.addViewController(std::string(kCameraViewControllerIdentifier),
                                                              [](Storyboard&) {
                                                                  auto camera = std::make_shared<CameraViewController>();
                                                                  camera->sceneBuilder = buildCameraScene;
                                                                  return camera;
                                                              });
                                       main.addViewController(std::string(kMigrationViewControllerIdentifier),
                                                              [](Storyboard&) {
                                                                  return std::make_shared<MigrationViewController>();
                                                              });
                                       main.addSegue(std::string(kCameraViewControllerIdentifier),
                                                     std::string(kToMigrationControllerSegue),
                                                     std::string(kMigrationViewControllerIdentifier),
                                                     platform::ui::SegueKind::presentModally);
                                       main.setInitialViewController([](Storyboard& storyboard) {
                                           return std::make_shared<VistrelNavigationController>(
                                               storyboard.instantiateViewController(kCameraViewControllerIdentifier));
                                       });
                                   });
}

std::shared_ptr<platform::ui::Storyboard> mainStoryboard() {
    return kitStoryboard(kMainStoryboardName, registerMainStoryboard);
}

}  // namespace vistrel
