#include "vistrel/platform/camera/camera_simulation.hpp"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>
#include <system_error>

#include "vistrel/platform/camera/capture_device.hpp"
#include "vistrel/platform/camera/simulation_state.hpp"

namespace platform::camera {

namespace {

struct Simulation {
    std::mutex mutex;
    AuthorizationStatus authorization = AuthorizationStatus::notDetermined;
    std::optional<std::filesystem::path> stillsSource;
    std::size_t nextStill = 0;
    std::vector<SimulatedCamera> cameras = {SimulatedCamera{}};
    std::vector<std::shared_ptr<CaptureDevice>> devices;  // made on first use from `cameras`
    CameraFailures failures;
};

Simulation& simulation() {
    static Simulation* state = new Simulation;  // never destroyed: capture queues may outlive main()
    return *state;
}

bool isJpegName(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg";
}

// The files of the source in the order captures take them; the mutex is held.
std::vector<std::filesystem::path> stillFiles(const std::filesystem::path& source) {
    std::error_code error;
    if (!std::filesystem::is_directory(source, error)) return {source};
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && isJpegName(it->path())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(),
              [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });
    return files;
}

std::optional<std::filesystem::path> nextStill(bool advance) {
    Simulation& state = simulation();
    std::lock_guard lock(state.mutex);
    if (!state.stillsSource) return std::nullopt;
    const auto files = stillFiles(*state.stillsSource);
    if (files.empty()) return std::nullopt;
    const std::filesystem::path file = files[state.nextStill % files.size()];
    if (advance) state.nextStill = (state.nextStill % files.size()) + 1;
    return file;
}

}  // namespace

void setAuthorizationStatus(AuthorizationStatus status) {
    std::lock_guard lock(simulation().mutex);
    simulation().authorization = status;
}

AuthorizationStatus authorizationStatus() {
    std::lock_guard lock(simulation().mutex);
    return simulation().authorization;
}

void setStillsSource(std::optional<std::filesystem::path> fileOrFolder) {
    std::lock_guard lock(simulation().mutex);
    simulation().stillsSource = std::move(fileOrFolder);
    simulation().nextStill = 0;
}

void setSimulatedCameras(std::vector<SimulatedCamera> cameras) {
    std::lock_guard lock(simulation().mutex);
    simulation().cameras = std::move(cameras);
    simulation().devices.clear();
}

void setCameraFailures(CameraFailures failures) {
    std::lock_guard lock(simulation().mutex);
    simulation().failures = failures;
}

CameraFailures cameraFailures() {
    std::lock_guard lock(simulation().mutex);
    return simulation().failures;
}

void resetCameraSimulation() {
    Simulation& state = simulation();
    std::lock_guard lock(state.mutex);
    state.authorization = AuthorizationStatus::notDetermined;
    state.stillsSource.reset();
    state.nextStill = 0;
    state.cameras = {SimulatedCamera{}};
    state.devices.clear();
    state.failures = {};
}

namespace detail {

std::vector<std::shared_ptr<CaptureDevice>> simulatedDevices() {
    Simulation& state = simulation();
    std::lock_guard lock(state.mutex);
    if (state.devices.empty())
        for (const SimulatedCamera& camera : state.cameras)
            state.devices.push_back(std::make_shared<CaptureDevice>(DeviceType::builtInWideAngleCamera,
                                                                    MediaType::video, camera.position,
                                                                    camera.focusModes, camera.hasTorch));
    return state.devices;
}

std::optional<std::filesystem::path> peekNextStill() { return nextStill(false); }
std::optional<std::filesystem::path> takeNextStill() { return nextStill(true); }

}  // namespace detail

}  // namespace platform::camera
