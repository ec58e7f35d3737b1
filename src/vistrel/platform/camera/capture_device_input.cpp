#include "vistrel/platform/camera/capture_device_input.hpp"

#include "vistrel/platform/camera/camera_error.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/capture_device.hpp"

namespace platform::camera {

CaptureDeviceInput::Made CaptureDeviceInput::make(std::shared_ptr<CaptureDevice> device) {
    if (!device) return makeCameraError(CameraErrorCode::deviceUnavailable, "No camera was given.");
    if (cameraFailures().deviceInput)
        return makeCameraError(CameraErrorCode::deviceUnavailable, "The camera cannot be opened.");
    return std::make_shared<CaptureDeviceInput>(std::move(device));
}

}  // namespace platform::camera
