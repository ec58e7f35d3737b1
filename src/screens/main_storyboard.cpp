#include "screens/main_storyboard.hpp"

#include <string>

#include "core/vistrel_bundle.hpp"
#include "platform/ui/storyboard.hpp"
#include "screens/camera_scene.hpp"
#include "screens/camera_view_controller.hpp"
#include "screens/kit_storyboard.hpp"
#include "store/migration_view_controller.hpp"
#include "ui/vistrel_navigation_controller.hpp"

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
