#include "vistrel/platform/ui/image_view.hpp"

#include "vistrel/platform/graphics/canvas.hpp"

namespace platform::ui {

ImageView::ImageView(const Rect& frame) : View(frame) { setUserInteractionEnabled(false); }

ImageView::ImageView(std::optional<Image> image)
    : ImageView(Rect{Point{}, image ? image->size() : Size{}}) {
    setImage(std::move(image));
}

void ImageView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    ++imageToken_;
    stopAnimating();
    if (window()) startAnimating();
    setNeedsDisplay();
}

void ImageView::startAnimating() {
    if (!image_ || !image_->isAnimated()) return;
    startFollowingClock();
    setNeedsDisplay();
}

void ImageView::stopAnimating() {
    if (!isAnimating()) return;
    stopFollowingClock();
    if (drawnFrame_ != 0) setNeedsDisplay();
}

void ImageView::didMoveToWindow() {
    View::didMoveToWindow();
    if (window())
        startAnimating();
    else
        stopAnimating();
}

double ImageView::frameSeconds() const {
    if (!image_ || !image_->isAnimated()) return 0;
    const double seconds = image_->duration() / static_cast<double>(image_->frames().size());
    return seconds > 0 ? seconds : defaultFrameSeconds;
}

std::size_t ImageView::currentFrame() const {
    if (!image_ || !followsClock()) return 0;
    // Each frame for its own time; an animation without a duration moves at a set pace.
    if (image_->duration() > 0) return image_->frameIndexAt(secondsFollowed() + 1e-9);
    return frameNow(frameSeconds(), image_->frames().size());
}

void ImageView::clockDidAdvance() {
    if (currentFrame() != drawnFrame_) setNeedsDisplay();
}

Size ImageView::sizeThatFits(Size) const { return image_ ? image_->size() : Size{}; }

void ImageView::drawContent(graphics::Canvas& canvas) const {
    if (!image_) return;
    const Rect dest = contentRect(contentMode(), image_->size(), bounds());
    std::optional<Color> tint;
    if (image_->renderingMode() == RenderingMode::alwaysTemplate) tint = tintColor();
    const std::size_t frame = currentFrame();
    // What the display pass compares against; drawing changes nothing else.
    drawnFrame_ = frame;
    canvas.draw(*image_, frame, dest, tint);
}

}  // namespace platform::ui
