#pragma once
// What a session takes from a camera: an input made from a device.
#include <memory>
#include <variant>

#include "vistrel/platform/foundation/error.hpp"

namespace platform::camera {

class CaptureDevice;

class CaptureDeviceInput {
public:
    using Made = std::variant<std::shared_ptr<CaptureDeviceInput>, Error>;
    // The input, or the error that kept the device from giving one (no device included).
    static Made make(std::shared_ptr<CaptureDevice> device);

    explicit CaptureDeviceInput(std::shared_ptr<CaptureDevice> device) : device_(std::move(device)) {}

    const std::shared_ptr<CaptureDevice>& device() const { return device_; }

private:
    std::shared_ptr<CaptureDevice> device_;
};

}  // namespace platform::camera
