#pragma once
// The video link between a session's camera input and an output or a preview. It is
// active while its session has a camera input. Safe from any thread.
#include <atomic>
#include <memory>

#include "vistrel/platform/camera/camera_types.hpp"

namespace platform::camera {

class CaptureSession;

class CaptureConnection {
public:
    // A connection of `session`, which it does not keep alive.
    CaptureConnection(MediaType mediaType, const std::shared_ptr<CaptureSession>& session);

    MediaType mediaType() const { return mediaType_; }
    bool isActive() const;
    // The session it belongs to, while that lives.
    std::shared_ptr<CaptureSession> session() const { return session_.lock(); }

    VideoOrientation videoOrientation() const { return orientation_.load(); }
    void setVideoOrientation(VideoOrientation orientation) { orientation_.store(orientation); }

private:
    const MediaType mediaType_;
    const std::weak_ptr<CaptureSession> session_;
    std::atomic<VideoOrientation> orientation_{VideoOrientation::landscapeRight};
};

}  // namespace platform::camera
