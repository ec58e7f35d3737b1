#pragma once
// A capture session: camera inputs and still outputs joined, started once configured.
// Safe from any thread; starting it is meant for a queue other than the main one.
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::camera {

class CaptureDeviceInput;
class StillImageOutput;

class CaptureSession : public std::enable_shared_from_this<CaptureSession> {
public:
    CaptureSession() = default;
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Whether the input or output may be attached now (a given one not yet attached).
    bool canAddInput(const std::shared_ptr<CaptureDeviceInput>& input) const;
    bool canAddOutput(const std::shared_ptr<StillImageOutput>& output) const;
    // Attach; one that may not be attached is refused with a log line.
    void addInput(const std::shared_ptr<CaptureDeviceInput>& input);
    void addOutput(const std::shared_ptr<StillImageOutput>& output);

    std::vector<std::shared_ptr<CaptureDeviceInput>> inputs() const;
    std::vector<std::shared_ptr<StillImageOutput>> outputs() const;
    bool hasInput() const;

    void startRunning();
    void stopRunning();
    bool isRunning() const { return running_.load(); }

private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<CaptureDeviceInput>> inputs_;
    std::vector<std::shared_ptr<StillImageOutput>> outputs_;
    std::atomic<bool> running_{false};
};

}  // namespace platform::camera
