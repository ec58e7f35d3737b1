#include "vistrel/platform/camera/video_preview_layer.hpp"

#include <system_error>

#include "vistrel/platform/camera/capture_connection.hpp"
#include "vistrel/platform/camera/capture_session.hpp"
#include "vistrel/platform/camera/simulation_state.hpp"
#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/ui/content_mode.hpp"

namespace platform::camera {

namespace {

ui::ContentMode contentMode(VideoGravity gravity) {
    switch (gravity) {
        case VideoGravity::resize:
            return ui::ContentMode::scaleToFill;
        case VideoGravity::resizeAspect:
            return ui::ContentMode::scaleAspectFit;
        case VideoGravity::resizeAspectFill:
            return ui::ContentMode::scaleAspectFill;
    }
    return ui::ContentMode::scaleAspectFit;
}

}  // namespace

VideoPreviewLayer::VideoPreviewLayer(std::shared_ptr<CaptureSession> session) : session_(std::move(session)) {}

VideoPreviewLayer::~VideoPreviewLayer() = default;

std::shared_ptr<CaptureConnection> VideoPreviewLayer::connection() {
    if (!connection_ && session_ && session_->hasInput())
        connection_ = std::make_shared<CaptureConnection>(MediaType::video, session_);
    return connection_;
}

std::optional<graphics::Image> VideoPreviewLayer::nextPicture() const {
    const std::optional<std::filesystem::path> file = detail::peekNextStill();
    if (!file) return std::nullopt;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(*file, error);
    if (error) return std::nullopt;
    const auto modified = std::filesystem::last_write_time(*file, error);
    if (error) return std::nullopt;
    if (!shown_ || shown_->file != *file || shown_->size != size || shown_->modified != modified)
        shown_ = Shown{*file, size, modified, graphics::Image::fromFile(*file)};
    return shown_->picture;
}

void VideoPreviewLayer::drawContent(graphics::Canvas& canvas) const {
    if (!session_ || !session_->isRunning() || !session_->hasInput()) return;
    const std::optional<graphics::Image> picture = nextPicture();
    if (!picture) return;
    const ui::Rect area = bounds();
    canvas.save();
    canvas.clip(area);
    canvas.draw(*picture, ui::contentRect(contentMode(videoGravity_), picture->size(), area));
    canvas.restore();
}

}  // namespace platform::camera
