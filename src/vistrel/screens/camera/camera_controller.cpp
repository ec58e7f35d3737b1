#include "vistrel/screens/camera/camera_controller.hpp"

#include <array>
#include <utility>
#include <variant>

#include "vistrel/platform/camera/camera_error.hpp"
#include "vistrel/platform/camera/capture_connection.hpp"
#include "vistrel/platform/camera/capture_device.hpp"
#include "vistrel/platform/camera/capture_device_input.hpp"
#include "vistrel/platform/camera/capture_session.hpp"
#include "vistrel/platform/camera/still_image_output.hpp"
#include "vistrel/platform/camera/video_preview_layer.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace vistrel {

namespace camera = platform::camera;

namespace {

constexpr const char* errorDomain = "CameraControllerError";

constexpr std::array<std::pair<CameraControllerError, std::string_view>, 6> errorNames{{
    {CameraControllerError::captureSessionAlreadyRunning, "captureSessionAlreadyRunning"},
    {CameraControllerError::captureSessionIsMissing, "captureSessionIsMissing"},
    {CameraControllerError::inputsAreInvalid, "inputsAreInvalid"},
    {CameraControllerError::invalidOperation, "invalidOperation"},
    {CameraControllerError::noCamerasAvailable, "noCamerasAvailable"},
    {CameraControllerError::unknown, "unknown"},
}};

// The text form the log shows: a controller error by its case name, any other error whole.
std::string textForm(const platform::Error& error) {
    if (auto known = cameraControllerError(error)) return std::string(description(*known));
    return error.description();
}

// Calls the completion later on the main queue, never on the caller's own stack.
void completeOnMain(const CameraController::CaptureCompletion& completion,
                    std::optional<platform::graphics::Image> photo, std::optional<platform::Error> error) {
    platform::dispatch::main().async(
        [completion, photo = std::move(photo), error = std::move(error)] { completion(photo, error); });
}

// Focus modes a still camera prefers, best first.
constexpr std::array<camera::FocusMode, 3> focusPreference{camera::FocusMode::continuousAutoFocus,
                                                           camera::FocusMode::autoFocus, camera::FocusMode::locked};

}  // namespace

std::string_view description(CameraControllerError error) {
    for (const auto& [value, name] : errorNames)
        if (value == error) return name;
    return "unknown";
}

platform::Error makeError(CameraControllerError error) {
    return platform::Error{
        errorDomain, static_cast<long>(error), {{"NSLocalizedDescription", std::string(description(error))}}};
}

std::optional<CameraControllerError> cameraControllerError(const platform::Error& error) {
    if (error.domain != errorDomain) return std::nullopt;
    for (const auto& [value, name] : errorNames)
        if (static_cast<long>(value) == error.code) return value;
    return std::nullopt;
}

// What the preparation makes, off the main thread, before it is handed over.
struct CameraController::Prepared {
    std::shared_ptr<camera::CaptureSession> captureSession;
    std::shared_ptr<camera::CaptureDevice> rearCamera;
    std::optional<CameraPosition> currentCameraPosition;
    std::shared_ptr<camera::CaptureDeviceInput> rearCameraInput;
    std::shared_ptr<camera::StillImageOutput> photoOutput;
};

CameraController::CameraController() = default;
CameraController::~CameraController() = default;

void CameraController::configureInView(std::shared_ptr<platform::ui::View> view) {
    if (configured_ || !view) return;
    auto self = weak_from_this().lock();
    if (!self) {
        platform::log("CameraController :: configureInView needs a controller held by a shared_ptr");
        return;
    }
    configured_ = true;
    prepare([self, view = std::move(view)](std::optional<platform::Error> error) {
        if (error) platform::log(textForm(*error));
        // No preview without a running session; nothing to tell anyone.
        (void)self->displayPreview(*view);
    });
}

void CameraController::prepare(std::function<void(std::optional<platform::Error>)> completionHandler) {
    auto self = shared_from_this();
    // Everything is built into `made` on the queue; only the main queue gives it to the
    // members, so the main thread never sees half-made objects.
    platform::dispatch::makeSerialQueue("prepare").async(
        [self, completionHandler = std::move(completionHandler)]() mutable {
            auto made = std::make_shared<Prepared>();
            std::optional<platform::Error> error = createCaptureSession(*made);
            if (!error) error = configureCaptureDevices(*made);
            if (!error) error = configureDeviceInputs(*made);
            if (!error) error = configurePhotoOutput(*made);
            // The controller moves on with the hand-over, so that its last owner lets it go on main.
            platform::dispatch::main().async(
                [self = std::move(self), made, error, completionHandler = std::move(completionHandler)] {
                    self->captureSession_ = made->captureSession;
                    self->rearCamera_ = made->rearCamera;
                    self->currentCameraPosition_ = made->currentCameraPosition;
                    self->rearCameraInput_ = made->rearCameraInput;
                    self->photoOutput_ = made->photoOutput;
                    completionHandler(error);
                });
        });
}

std::optional<platform::Error> CameraController::createCaptureSession(Prepared& made) {
    made.captureSession = std::make_shared<camera::CaptureSession>();
    return std::nullopt;
}

std::optional<platform::Error> CameraController::configureCaptureDevices(Prepared& made) {
    const camera::DeviceDiscoverySession discovery({camera::DeviceType::builtInWideAngleCamera},
                                                   camera::MediaType::video, camera::DevicePosition::unspecified);
    for (const auto& device : discovery.devices()) {
        if (device->position() != camera::DevicePosition::back) continue;
        made.rearCamera = device;
        if (auto error = device->lockForConfiguration()) return error;
        for (camera::FocusMode mode : focusPreference) {
            if (!device->isFocusModeSupported(mode)) continue;
            device->setFocusMode(mode);
            break;
        }
        device->unlockForConfiguration();
    }
    return std::nullopt;
}

std::optional<platform::Error> CameraController::configureDeviceInputs(Prepared& made) {
    if (!made.captureSession) return makeError(CameraControllerError::captureSessionIsMissing);
    if (!made.rearCamera) return makeError(CameraControllerError::noCamerasAvailable);
    auto input = camera::CaptureDeviceInput::make(made.rearCamera);
    if (auto* error = std::get_if<platform::Error>(&input)) return *error;
    made.rearCameraInput = std::get<std::shared_ptr<camera::CaptureDeviceInput>>(std::move(input));
    if (made.captureSession->canAddInput(made.rearCameraInput)) made.captureSession->addInput(made.rearCameraInput);
    made.currentCameraPosition = CameraPosition::rear;
    return std::nullopt;
}

std::optional<platform::Error> CameraController::configurePhotoOutput(Prepared& made) {
    if (!made.captureSession) return makeError(CameraControllerError::captureSessionIsMissing);
    made.photoOutput = std::make_shared<camera::StillImageOutput>();
    made.photoOutput->setOutputSettings({{std::string(camera::videoCodecKey), std::string(camera::videoCodecJPEG)}});
    if (made.captureSession->canAddOutput(made.photoOutput)) made.captureSession->addOutput(made.photoOutput);
    made.captureSession->startRunning();
    return std::nullopt;
}

std::optional<CameraControllerError> CameraController::displayPreview(platform::ui::View& view) {
    if (!captureSession_ || !captureSession_->isRunning()) return CameraControllerError::captureSessionIsMissing;
    auto layer = std::make_shared<camera::VideoPreviewLayer>(captureSession_);
    layer->setVideoGravity(camera::VideoGravity::resizeAspectFill);
    if (auto connection = layer->connection()) connection->setVideoOrientation(camera::VideoOrientation::portrait);
    view.layer().insertSublayer(layer, 0);
    // The bounds as they are now; later layout does not move the preview.
    layer->setFrame(view.bounds());
    previewLayer_ = std::move(layer);
    return std::nullopt;
}

bool CameraController::toggleFlash() {
    const auto camera = rearCamera_;
    if (!camera || !camera->hasTorch()) return false;
    const auto fail = [](const platform::Error& error) {
        std::string line = "toggleFlash error :: ";
        line += camera::localizedDescription(error);
        platform::log(line);
        return false;
    };
    if (auto error = camera->lockForConfiguration()) return fail(*error);
    const bool on = !camera->isTorchActive();
    if (auto error = camera->setTorchModeOn(1.0f)) {
        // The lock is given back on this road too, or the camera stays locked for good.
        camera->unlockForConfiguration();
        return fail(*error);
    }
    camera->setTorchMode(on ? camera::TorchMode::on : camera::TorchMode::off);
    camera->unlockForConfiguration();
    return on;
}

void CameraController::capturePicture(CaptureCompletion completion) {
    if (!completion) return;
    const auto missing = [&completion] {
        completeOnMain(completion, std::nullopt, makeError(CameraControllerError::captureSessionIsMissing));
    };
    if (!captureSession_ || !captureSession_->isRunning() || !photoOutput_) return missing();
    // Without an active video connection no still can come, and the caller waits for one answer.
    const auto connection = photoOutput_->connection(camera::MediaType::video);
    if (!connection || !connection->isActive()) return missing();
    photoOutput_->captureStillImageAsynchronously(
        connection, [completion](std::optional<camera::SampleBuffer> buffer, std::optional<platform::Error>) {
            // The camera's own error is not passed on; the caller learns only that no photo came.
            std::optional<std::string> bytes;
            if (buffer) bytes = camera::StillImageOutput::jpegStillImageDataRepresentation(*buffer);
            if (!bytes) return completeOnMain(completion, std::nullopt, makeError(CameraControllerError::unknown));
            // Decoded here, off the main thread; bytes that do not decode give neither photo nor error.
            completeOnMain(completion, platform::graphics::Image::decode(*bytes), std::nullopt);
        });
}

}  // namespace vistrel
