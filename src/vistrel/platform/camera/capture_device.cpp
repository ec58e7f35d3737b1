#include "vistrel/platform/camera/capture_device.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "vistrel/platform/camera/camera_error.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/simulation_state.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::camera {

CaptureDevice::CaptureDevice(DeviceType deviceType, MediaType mediaType, DevicePosition position,
                             std::vector<FocusMode> focusModes, bool hasTorch)
    : deviceType_(deviceType),
      mediaType_(mediaType),
      position_(position),
      focusModes_(std::move(focusModes)),
      hasTorch_(hasTorch) {}

std::optional<Error> CaptureDevice::lockForConfiguration() {
    if (cameraFailures().lockForConfiguration)
        return makeCameraError(CameraErrorCode::configurationLockRefused,
                               "The camera could not be locked for configuration.");
    std::lock_guard lock(mutex_);
    ++locks_;
    return std::nullopt;
}

void CaptureDevice::unlockForConfiguration() {
    std::lock_guard lock(mutex_);
    if (locks_ == 0) {
        log("CaptureDevice :: unlockForConfiguration without a lock");
        return;
    }
    --locks_;
}

bool CaptureDevice::isLockedForConfiguration() const {
    std::lock_guard lock(mutex_);
    return locks_ > 0;
}

bool CaptureDevice::mayConfigure(const char* what) const {
    if (locks_ > 0) return true;
    std::string line = "CaptureDevice :: ";
    line += what;
    line += " refused: the device is not locked for configuration";
    log(line);
    return false;
}

bool CaptureDevice::isFocusModeSupported(FocusMode mode) const {
    return std::find(focusModes_.begin(), focusModes_.end(), mode) != focusModes_.end();
}

FocusMode CaptureDevice::focusMode() const {
    std::lock_guard lock(mutex_);
    return focusMode_;
}

void CaptureDevice::setFocusMode(FocusMode mode) {
    if (!isFocusModeSupported(mode)) {
        std::string line = "CaptureDevice :: focus mode ";
        line += std::to_string(static_cast<int>(mode));
        line += " is not supported";
        log(line);
        return;
    }
    std::lock_guard lock(mutex_);
    if (mayConfigure("setFocusMode")) focusMode_ = mode;
}

bool CaptureDevice::isTorchActive() const {
    std::lock_guard lock(mutex_);
    return torchMode_ == TorchMode::on;
}

TorchMode CaptureDevice::torchMode() const {
    std::lock_guard lock(mutex_);
    return torchMode_;
}

float CaptureDevice::torchLevel() const {
    std::lock_guard lock(mutex_);
    return torchMode_ == TorchMode::on ? torchLevel_ : 0;
}

void CaptureDevice::setTorchMode(TorchMode mode) {
    if (!hasTorch_) {
        log("CaptureDevice :: setTorchMode refused: the device has no torch");
        return;
    }
    std::lock_guard lock(mutex_);
    if (!mayConfigure("setTorchMode")) return;
    torchMode_ = mode;
    if (mode == TorchMode::on && torchLevel_ <= 0) torchLevel_ = 1;
}

std::optional<Error> CaptureDevice::setTorchModeOn(float level) {
    if (!hasTorch_) return makeCameraError(CameraErrorCode::torchLevelRefused, "The camera has no torch.");
    if (!(level > 0 && level <= 1))
        return makeCameraError(CameraErrorCode::torchLevelRefused, "The torch level is outside (0, 1].");
    if (cameraFailures().torchLevel)
        return makeCameraError(CameraErrorCode::torchLevelRefused, "The torch could not be set to that level.");
    std::lock_guard lock(mutex_);
    if (!mayConfigure("setTorchModeOn"))
        return makeCameraError(CameraErrorCode::configurationLockRefused,
                               "The camera is not locked for configuration.");
    torchMode_ = TorchMode::on;
    torchLevel_ = level;
    return std::nullopt;
}

DeviceDiscoverySession::DeviceDiscoverySession(const std::vector<DeviceType>& deviceTypes, MediaType mediaType,
                                               DevicePosition position) {
    for (auto& device : detail::simulatedDevices()) {
        const bool kind = std::find(deviceTypes.begin(), deviceTypes.end(), device->deviceType()) != deviceTypes.end();
        const bool facing = position == DevicePosition::unspecified || device->position() == position;
        if (kind && device->mediaType() == mediaType && facing) devices_.push_back(std::move(device));
    }
}

}  // namespace platform::camera
