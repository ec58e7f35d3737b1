#include "vistrel/platform/camera/capture_connection.hpp"

#include "vistrel/platform/camera/camera_simulation.hpp"
#include "vistrel/platform/camera/capture_session.hpp"

namespace platform::camera {

CaptureConnection::CaptureConnection(MediaType mediaType, const std::shared_ptr<CaptureSession>& session)
    : mediaType_(mediaType), session_(session) {}

bool CaptureConnection::isActive() const {
    const auto session = session_.lock();
    return session && session->hasInput() && !cameraFailures().inactiveConnection;
}

}  // namespace platform::camera
