#pragma once
// The errors the capture layer reports, in one domain, with a description a log shows.
#include <string>

#include "vistrel/platform/foundation/error.hpp"

namespace platform::camera {

inline constexpr const char* cameraErrorDomain = "platform.camera";

enum class CameraErrorCode : long {
    configurationLockRefused = 1,
    deviceUnavailable = 2,
    torchLevelRefused = 3,
    notConnected = 4,
    captureFailed = 5,
};

Error makeCameraError(CameraErrorCode code, std::string description);

// The error's "NSLocalizedDescription" text, or its description when it has none.
std::string localizedDescription(const Error& error);

}  // namespace platform::camera
