#include "platform/graphics/canvas.hpp"

namespace platform::graphics {

struct Canvas::Impl {
    Bitmap* bitmap = nullptr;
    double scale = 1;
};

Canvas::Canvas(Bitmap& bitmap, double scale) : impl_(std::make_unique<Impl>()) {
    impl_->bitmap = &bitmap;
    impl_->scale = scale;
}
Canvas::~Canvas() = default;

double Canvas::scale() const { return impl_->scale; }
Size Canvas::size() const { return {impl_->bitmap->width() / impl_->scale, impl_->bitmap->height() / impl_->scale}; }
void Canvas::save() {}
void Canvas::restore() {}
void Canvas::translate(double, double) {}
void Canvas::concat(const AffineTransform&) {}
AffineTransform Canvas::currentTransform() const { return {}; }
void Canvas::clip(const Rect&) {}
void Canvas::clip(const Rect&, double) {}
void Canvas::clip(const Path&) {}
void Canvas::fill(const Rect&, Color) {}
void Canvas::fill(const Path&, Color) {}
void Canvas::stroke(const Path&, Color, double, LineCap) {}
void Canvas::fillRoundedRect(const Rect&, double, Color) {}
void Canvas::strokeRoundedRect(const Rect&, double, double, Color) {}
void Canvas::clear(const Rect&) {}
void Canvas::draw(const Image&, const Rect&, std::optional<Color>) {}
void Canvas::drawText(const AttributedString&, const Rect&, const TextLayoutOptions&) {}
void Canvas::beginTransparencyLayer(double) {}
void Canvas::endTransparencyLayer() {}
void Canvas::beginShadow(Color, Size) {}
void Canvas::endShadow() {}

}  // namespace platform::graphics
