#include "camera_stills_demo.hpp"

#include "vistrel/platform/camera/camera_simulation.hpp"

void pointCameraAt(const std::filesystem::path& photo) {
    platform::camera::resetCameraSimulation();
    platform::camera::setAuthorizationStatus(platform::camera::AuthorizationStatus::authorized);
    platform::camera::setStillsSource(photo);
}
