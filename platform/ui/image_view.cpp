#include "platform/ui/image_view.hpp"

#include "platform/graphics/canvas.hpp"

namespace platform::ui {

ImageView::ImageView(const Rect& frame) : View(frame) { setUserInteractionEnabled(false); }

ImageView::ImageView(std::optional<Image> image)
    : ImageView(Rect{Point{}, image ? image->size() : Size{}}) {
    image_ = std::move(image);
}

void ImageView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    ++imageToken_;
    setNeedsDisplay();
}

Size ImageView::sizeThatFits(Size) const { return image_ ? image_->size() : Size{}; }

void ImageView::drawContent(graphics::Canvas& canvas) const {
    if (!image_) return;
    const Rect dest = contentRect(contentMode(), image_->size(), bounds());
    std::optional<Color> tint;
    if (image_->renderingMode() == RenderingMode::alwaysTemplate) tint = tintColor();
    canvas.draw(*image_, dest, tint);
}

}  // namespace platform::ui
