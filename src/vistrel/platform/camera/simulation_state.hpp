#pragma once
// What the capture objects read of the simulation (internal to platform/camera).
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace platform::camera {
class CaptureDevice;
}

namespace platform::camera::detail {

// The devices of the simulated cameras; the same objects until the cameras are set again.
std::vector<std::shared_ptr<CaptureDevice>> simulatedDevices();

// The file the next capture takes; `take` moves on to the one after it.
std::optional<std::filesystem::path> peekNextStill();
std::optional<std::filesystem::path> takeNextStill();

}  // namespace platform::camera::detail
