#include "vistrel/platform/camera/camera_error.hpp"

namespace platform::camera {

namespace {
constexpr const char* localizedDescriptionKey = "NSLocalizedDescription";
}

Error makeCameraError(CameraErrorCode code, std::string description) {
    return Error{cameraErrorDomain, static_cast<long>(code), {{localizedDescriptionKey, std::move(description)}}};
}

std::string localizedDescription(const Error& error) {
    const auto found = error.userInfo.find(localizedDescriptionKey);
    return found != error.userInfo.end() ? found->second : error.description();
}

}  // namespace platform::camera
