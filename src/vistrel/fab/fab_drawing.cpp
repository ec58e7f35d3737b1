// The button's look, built from layers and one image view. Each builder removes its own
// element before adding it again, so a drawing pass can repeat.
#include <algorithm>

#include "vistrel/fab/fab.hpp"

namespace vistrel {

namespace ui = platform::ui;

void Fab::draw(const Rect& rect) {
    View::draw(rect);
    if (!isCustomFrame_)
        setBottomFrameAccordingToRTL();
    else
        deriveSizeFromFrame();  // only a real change asks for another pass
    setCircleLayer();
    if (!buttonImage_)
        setPlusLayer();
    else
        setButtonImageView();
    setShadow();
}

void Fab::setCircleLayer() {
    circleLayer_->removeFromSuperlayer();
    circleLayer_->setFrame(Rect{0, 0, size_, size_});
    circleLayer_->setBackgroundColor(buttonColor);
    circleLayer_->setCornerRadius(size_ / 2);
    layer().addSublayer(circleLayer_);
}

void Fab::setPlusLayer() {
    plusLayer_->removeFromSuperlayer();
    plusLayer_->setFrame(Rect{0, 0, size_, size_});
    plusLayer_->setLineCap(platform::graphics::LineCap::round);
    plusLayer_->setStrokeColor(plusColor);
    plusLayer_->setLineWidth(2);
    plusLayer_->setPath(plusBezierPath());
    layer().addSublayer(plusLayer_);
}

platform::graphics::Path Fab::plusBezierPath() const {
    const double s = size_;
    platform::graphics::Path path;
    path.moveTo({s / 2, s / 3});
    path.lineTo({s / 2, s - s / 3});
    path.moveTo({s / 3, s / 2});
    path.lineTo({s - s / 3, s / 2});
    return path;
}

void Fab::setButtonImageView() {
    buttonImageView_->removeFromSuperview();
    buttonImageView_ = std::make_shared<ui::ImageView>(buttonImage_);
    buttonImageView_->setTintColor(plusColor);
    const ui::Size own = buttonImageView_->frame().size;
    const Point circle = circleLayer_->frame().origin;
    buttonImageView_->setFrame(Rect{circle.x + size_ / 2 - own.width / 2, circle.y + size_ / 2 - own.height / 2,
                                    own.width, own.height});
    addSubview(buttonImageView_);
}

void Fab::setShadow() {
    if (!hasShadow) return;
    circleLayer_->setShadowOffset({1, 1});
    circleLayer_->setShadowRadius(2);
    circleLayer_->setShadowColor(Color::black());
    circleLayer_->setShadowOpacity(0.4);
}

void Fab::setTintLayer() {
    const Point circle = circleLayer_->frame().origin;
    tintLayer_->setFrame(Rect{circle.x, circle.y, size_, size_});
    tintLayer_->setBackgroundColor(Color::white(1, 0.2));
    tintLayer_->setCornerRadius(size_ / 2);
    layer().addSublayer(tintLayer_);
}

void Fab::setOverlayView() {
    setOverlayFrame();
    overlayView_->setBackgroundColor(overlayColor);
    overlayView_->setAlpha(0);
    overlayView_->setUserInteractionEnabled(true);
}

void Fab::setOverlayFrame() {
    if (auto parent = superview()) {
        const Rect b = parent->bounds();
        overlayView_->setFrame(Rect{0, 0, b.width(), b.height()});
    }
}

}  // namespace vistrel
