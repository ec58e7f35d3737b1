#include "vistrel/platform/camera/capture_session.hpp"

#include <algorithm>

#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/still_image_output.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::camera {

namespace {
template <class T>
bool holds(const std::vector<std::shared_ptr<T>>& items, const std::shared_ptr<T>& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}
}  // namespace

bool CaptureSession::canAddInput(const std::shared_ptr<CaptureDeviceInput>& input) const {
    if (!input || cameraFailures().sessionRefusesInput) return false;
    std::lock_guard lock(mutex_);
    return !holds(inputs_, input);
}

bool CaptureSession::canAddOutput(const std::shared_ptr<StillImageOutput>& output) const {
    if (!output || cameraFailures().sessionRefusesOutput || output->isAttached()) return false;
    std::lock_guard lock(mutex_);
    return !holds(outputs_, output);
}

void CaptureSession::addInput(const std::shared_ptr<CaptureDeviceInput>& input) {
    bool added = false;
    if (input && !cameraFailures().sessionRefusesInput) {
        std::lock_guard lock(mutex_);
        if (!holds(inputs_, input)) {
            inputs_.push_back(input);
            added = true;
        }
    }
    if (!added) log("CaptureSession :: addInput refused: the session cannot take this input");
}

void CaptureSession::addOutput(const std::shared_ptr<StillImageOutput>& output) {
    bool added = false;
    if (output && !cameraFailures().sessionRefusesOutput) {
        std::lock_guard lock(mutex_);
        // Checked and attached under the lock, so that two threads cannot both add it.
        if (!holds(outputs_, output) && output->attach(weak_from_this().lock())) {
            outputs_.push_back(output);
            added = true;
        }
    }
    if (!added) log("CaptureSession :: addOutput refused: the session cannot take this output");
}

std::vector<std::shared_ptr<CaptureDeviceInput>> CaptureSession::inputs() const {
    std::lock_guard lock(mutex_);
    return inputs_;
}

std::vector<std::shared_ptr<StillImageOutput>> CaptureSession::outputs() const {
    std::lock_guard lock(mutex_);
    return outputs_;
}

bool CaptureSession::hasInput() const {
    std::lock_guard lock(mutex_);
    return !inputs_.empty();
}

void CaptureSession::startRunning() {
    // Starting a real camera blocks for a while; the main thread must not wait on it.
    if (dispatch::isMainThread())
        log("CaptureSession :: startRunning on the main thread; start it on a queue of its own");
    running_.store(true);
}

void CaptureSession::stopRunning() { running_.store(false); }

}  // namespace platform::camera
