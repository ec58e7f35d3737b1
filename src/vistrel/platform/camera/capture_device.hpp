#pragma once
// A camera: where it faces, its focus and its torch. Focus and torch change only while
// the caller holds the configuration lock; a change that is refused leaves the device
// as it was and says why in the log. Safe from any thread.
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "vistrel/platform/camera/camera_types.hpp"
#include "vistrel/platform/foundation/error.hpp"

namespace platform::camera {

class CaptureDevice {
public:
    CaptureDevice(DeviceType deviceType, MediaType mediaType, DevicePosition position,
                  std::vector<FocusMode> focusModes, bool hasTorch);
    CaptureDevice(const CaptureDevice&) = delete;
    CaptureDevice& operator=(const CaptureDevice&) = delete;

    DeviceType deviceType() const { return deviceType_; }
    MediaType mediaType() const { return mediaType_; }
    DevicePosition position() const { return position_; }

    // Nothing, or the error that refused the lock. Each lock wants one unlock.
    std::optional<Error> lockForConfiguration();
    void unlockForConfiguration();
    bool isLockedForConfiguration() const;

    bool isFocusModeSupported(FocusMode mode) const;
    // `locked` until changed.
    FocusMode focusMode() const;
    void setFocusMode(FocusMode mode);

    bool hasTorch() const { return hasTorch_; }
    bool isTorchActive() const;
    TorchMode torchMode() const;
    void setTorchMode(TorchMode mode);
    // Switches the torch on at a level in (0, 1]; nothing, or the error that refused it.
    std::optional<Error> setTorchModeOn(float level);
    // The level the torch was last switched on at; 0 while it is off.
    float torchLevel() const;

private:
    bool mayConfigure(const char* what) const;  // the mutex is held

    const DeviceType deviceType_;
    const MediaType mediaType_;
    const DevicePosition position_;
    const std::vector<FocusMode> focusModes_;
    const bool hasTorch_;

    mutable std::mutex mutex_;
    int locks_ = 0;
    FocusMode focusMode_ = FocusMode::locked;
    TorchMode torchMode_ = TorchMode::off;
    float torchLevel_ = 0;
};

// Finds the cameras of the given kinds and media type facing one way (`unspecified`:
// any way), in the platform's order, when it is made.
class DeviceDiscoverySession {
public:
    DeviceDiscoverySession(const std::vector<DeviceType>& deviceTypes, MediaType mediaType, DevicePosition position);

    const std::vector<std::shared_ptr<CaptureDevice>>& devices() const { return devices_; }

private:
    std::vector<std::shared_ptr<CaptureDevice>> devices_;
};

}  // namespace platform::camera
