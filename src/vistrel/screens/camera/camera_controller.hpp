#pragma once
// The camera behind the camera screen: a capture session on the back wide-angle camera
// with a JPEG still output, its live preview in a view of the screen, the torch, and
// stills handed back as images. Set-up problems go to the log; a failed capture goes to
// the caller's completion. Used on the main thread; the session is prepared on a serial
// queue of its own and handed to the main queue before anything uses it.
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace platform::camera {
class CaptureSession;
class CaptureDevice;
class CaptureDeviceInput;
class StillImageOutput;
class VideoPreviewLayer;
}  // namespace platform::camera

namespace platform::ui {
class View;
}

namespace vistrel {

enum class CameraControllerError {
    captureSessionAlreadyRunning,
    captureSessionIsMissing,
    inputsAreInvalid,
    invalidOperation,
    noCamerasAvailable,
    unknown,
};

// The case name, as the log shows it.
std::string_view description(CameraControllerError error);
// The error as a value of the domain "CameraControllerError" (code: the case's position;
// its description is the case name).
platform::Error makeError(CameraControllerError error);
// The case of an error of that domain; none for any other error.
std::optional<CameraControllerError> cameraControllerError(const platform::Error& error);

enum class CameraPosition { rear };

class CameraController : public std::enable_shared_from_this<CameraController> {
public:
    // The photo, or the error; neither when the camera's bytes do not decode.
    using CaptureCompletion =
        std::function<void(std::optional<platform::graphics::Image> photo, std::optional<platform::Error> error)>;

    CameraController();
    virtual ~CameraController();

    // Prepares the session off the main thread, then (on the main queue) installs the
    // live preview at the back of `view`, filling its bounds as they are then. Once.
    virtual void configureInView(std::shared_ptr<platform::ui::View> view);
    // Switches the back camera's torch over; true when it has just been switched on,
    // false when off or when nothing could be done.
    virtual bool toggleFlash();
    // Takes one still. The completion runs exactly once, later, on the main queue: the
    // photo, or an error ("captureSessionIsMissing" before the session runs or without an
    // active connection; "unknown" when the camera gives no JPEG bytes).
    virtual void capturePicture(CaptureCompletion completion);

    // What the preparation made, once it has been handed to the main queue.
    const std::shared_ptr<platform::camera::CaptureSession>& captureSession() const { return captureSession_; }
    const std::shared_ptr<platform::camera::CaptureDevice>& rearCamera() const { return rearCamera_; }
    std::optional<CameraPosition> currentCameraPosition() const { return currentCameraPosition_; }
    const std::shared_ptr<platform::camera::StillImageOutput>& photoOutput() const { return photoOutput_; }
    const std::shared_ptr<platform::camera::VideoPreviewLayer>& previewLayer() const { return previewLayer_; }

private:
    struct Prepared;
    // Builds the session, the camera, its input and the still output on a new serial
    // queue "prepare", then on the main queue makes them the members and calls the
    // handler with nothing or the first error.
    void prepare(std::function<void(std::optional<platform::Error>)> completionHandler);
    static std::optional<platform::Error> createCaptureSession(Prepared& made);
    static std::optional<platform::Error> configureCaptureDevices(Prepared& made);
    static std::optional<platform::Error> configureDeviceInputs(Prepared& made);
    static std::optional<platform::Error> configurePhotoOutput(Prepared& made);
    // Puts the live preview at the back of `view`; captureSessionIsMissing when the
    // session is not running.
    std::optional<CameraControllerError> displayPreview(platform::ui::View& view);

    std::shared_ptr<platform::camera::CaptureSession> captureSession_;
    std::shared_ptr<platform::camera::CaptureDevice> rearCamera_;
    std::optional<CameraPosition> currentCameraPosition_;
    std::shared_ptr<platform::camera::CaptureDeviceInput> rearCameraInput_;
    std::shared_ptr<platform::camera::StillImageOutput> photoOutput_;
    std::shared_ptr<platform::camera::VideoPreviewLayer> previewLayer_;
    bool configured_ = false;
};

}  // namespace vistrel
