#pragma once
// A layer that shows what a session's camera sees: the picture the next capture will
// take, laid into the layer by the video gravity and cut to its bounds, while the
// session runs. Used on the main thread, like every layer.
#include <filesystem>
#include <memory>
#include <optional>

#include "vistrel/platform/camera/camera_types.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/layer.hpp"

namespace platform::camera {

class CaptureConnection;
class CaptureSession;

class VideoPreviewLayer : public ui::Layer {
public:
    explicit VideoPreviewLayer(std::shared_ptr<CaptureSession> session);
    ~VideoPreviewLayer() override;

    const std::shared_ptr<CaptureSession>& session() const { return session_; }

    // `resizeAspect` until changed.
    VideoGravity videoGravity() const { return videoGravity_; }
    void setVideoGravity(VideoGravity gravity) { videoGravity_ = gravity; }

    // The layer's video connection; none while the session has no camera input.
    std::shared_ptr<CaptureConnection> connection();

    void drawContent(graphics::Canvas& canvas) const override;

private:
    std::optional<graphics::Image> nextPicture() const;

    std::shared_ptr<CaptureSession> session_;
    VideoGravity videoGravity_ = VideoGravity::resizeAspect;
    std::shared_ptr<CaptureConnection> connection_;
    // The last picture decoded, by file, size and time of change.
    struct Shown {
        std::filesystem::path file;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified;
        std::optional<graphics::Image> picture;
    };
    mutable std::optional<Shown> shown_;
};

}  // namespace platform::camera
