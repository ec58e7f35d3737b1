#include "vistrel/platform/camera/still_image_output.hpp"

#include <utility>

#include "vistrel/platform/camera/camera_error.hpp"
#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/capture_connection.hpp"
#include "vistrel/platform/camera/capture_session.hpp"
#include "vistrel/platform/camera/simulation_state.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"

namespace platform::camera {

namespace {

// Starts like a JPEG file and ends like one, but holds no picture.
constexpr std::string_view undecodableJpeg = "\xFF\xD8\xFF\xE0 no picture here \xFF\xD9";

bool startsAsJpeg(std::string_view bytes) { return bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF"; }

// A camera photographs whatever picture is in front of it and gives JPEG bytes: a still
// file of another kind (a PNG or GIF the host names) is encoded as the camera would.
// Bytes that are no picture at all stay as they are.
std::string asCameraJpeg(std::string bytes) {
    if (startsAsJpeg(bytes)) return bytes;
    auto picture = graphics::Image::decode(bytes);
    if (!picture) return bytes;
    auto jpeg = graphics::encodeJpeg(*picture, 0.9);
    return jpeg ? std::move(*jpeg) : bytes;
}

}  // namespace

StillImageOutput::StillImageOutput() : queue_(dispatch::makeSerialQueue("still image output")) {}

StillImageOutput::OutputSettings StillImageOutput::outputSettings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

void StillImageOutput::setOutputSettings(OutputSettings settings) {
    std::lock_guard lock(mutex_);
    settings_ = std::move(settings);
}

bool StillImageOutput::isAttached() const {
    std::lock_guard lock(mutex_);
    return connection_ != nullptr;
}

bool StillImageOutput::attach(const std::shared_ptr<CaptureSession>& session) {
    std::lock_guard lock(mutex_);
    if (connection_) return false;
    connection_ = std::make_shared<CaptureConnection>(MediaType::video, session);
    return true;
}

std::shared_ptr<CaptureConnection> StillImageOutput::connection(MediaType mediaType) const {
    if (mediaType != MediaType::video || cameraFailures().noConnection) return nullptr;
    std::lock_guard lock(mutex_);
    return connection_;
}

void StillImageOutput::captureStillImageAsynchronously(const std::shared_ptr<CaptureConnection>& connection,
                                                       CaptureHandler handler) {
    if (!handler) return;
    // What this request takes is settled now, on the caller's thread, so that requests
    // take the stills in the order they were made.
    std::optional<Error> error;
    std::optional<std::filesystem::path> still;
    const CameraFailures failures = cameraFailures();
    const auto session = connection ? connection->session() : nullptr;
    if (!connection || connection != this->connection(MediaType::video))
        error = makeCameraError(CameraErrorCode::notConnected, "The connection is not one of this output.");
    else if (!connection->isActive())
        error = makeCameraError(CameraErrorCode::notConnected, "The connection is not active.");
    else if (!session || !session->isRunning())
        error = makeCameraError(CameraErrorCode::captureFailed, "The session is not running.");
    else if (failures.captureGivesNoBuffer)
        error = makeCameraError(CameraErrorCode::captureFailed, "The camera gave no picture.");
    else if (!(still = detail::takeNextStill()))
        error = makeCameraError(CameraErrorCode::captureFailed, "The camera has no picture to take.");

    queue_.async([handler = std::move(handler), error = std::move(error), still = std::move(still), failures] {
        if (error) return handler(std::nullopt, error);
        std::optional<std::string> bytes = readFile(*still, graphics::maxImageFileBytes);
        if (!bytes)
            return handler(std::nullopt,
                           makeCameraError(CameraErrorCode::captureFailed, "The camera's picture could not be read."));
        bytes = failures.undecodableJpeg ? std::string(undecodableJpeg) : asCameraJpeg(std::move(*bytes));
        SampleBuffer buffer{std::make_shared<const std::string>(std::move(*bytes)), !failures.bufferWithoutJpeg};
        handler(std::move(buffer), std::nullopt);
    });
}

std::optional<std::string> StillImageOutput::jpegStillImageDataRepresentation(const SampleBuffer& buffer) {
    if (!buffer.isJpeg || !buffer.bytes || !startsAsJpeg(*buffer.bytes)) return std::nullopt;
    return *buffer.bytes;
}

}  // namespace platform::camera
