// The renderer: one walk over the layer tree from a single entry.
#include "vistrel/platform/ui/render.hpp"

#include <cmath>

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/ui/layer.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/update_pass.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

namespace {

using graphics::Canvas;

void drawLayerTree(Canvas& canvas, const Layer& layer, bool isRoot);

// Background, content, sublayers and border, in the layer's bounds space.
void drawLayerBody(Canvas& canvas, const Layer& layer) {
    const Rect bounds = layer.bounds();
    const double radius = layer.cornerRadius() > 0 ? layer.cornerRadius() : 0;
    if (auto background = layer.backgroundColor(); background && background->a > 0) {
        if (radius > 0)
            canvas.fillRoundedRect(bounds, radius, *background);
        else
            canvas.fill(bounds, *background);
    }
    canvas.save();
    if (layer.masksToBounds()) {
        if (radius > 0)
            canvas.clip(bounds, radius);
        else
            canvas.clip(bounds);
    }
    layer.drawContent(canvas);
    // A copy: drawing content runs view code.
    const auto sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) drawLayerTree(canvas, *sublayer, false);
    canvas.restore();
    // The border lies over the content and the sublayers.
    if (auto border = layer.borderColor(); border && layer.borderWidth() > 0 && std::isfinite(layer.borderWidth()))
        canvas.strokeRoundedRect(bounds, radius, layer.borderWidth(), *border);
}

void drawLayerTree(Canvas& canvas, const Layer& layer, bool isRoot) {
    if (layer.isHidden()) return;
    const double opacity = std::isfinite(layer.opacity()) ? std::min(1.0, layer.opacity()) : 0;
    if (opacity <= 0) return;

    canvas.save();
    if (!isRoot) canvas.concat(layer.transformToSuperlayer());
    const bool group = opacity < 1;
    if (group) canvas.beginTransparencyLayer(opacity);
    auto shadow = layer.shadowColor();
    const bool hasShadow = shadow && layer.shadowOpacity() > 0 && shadow->a > 0;
    if (hasShadow) canvas.beginShadow(shadow->withAlpha(shadow->a * std::min(1.0, layer.shadowOpacity())),
                                      layer.shadowOffset());
    drawLayerBody(canvas, layer);
    if (hasShadow) canvas.endShadow();
    if (group) canvas.endTransparencyLayer();
    canvas.restore();
}

}  // namespace

std::optional<graphics::Bitmap> render(View& view) { return render(view, Screen::main().scale()); }

std::optional<graphics::Bitmap> render(View& view, double scale) {
    if (!std::isfinite(scale) || scale <= 0) return std::nullopt;
    // Every shown window first, then the view itself when it is in none of them.
    updatePass();
    view.layoutIfNeeded();
    view.displayIfNeeded();
    const Rect bounds = view.bounds().standardized();
    const double w = std::ceil(bounds.width() * scale - 1e-9), h = std::ceil(bounds.height() * scale - 1e-9);
    if (!(w >= 1 && h >= 1 && w <= graphics::Bitmap::maxDimension && h <= graphics::Bitmap::maxDimension))
        return std::nullopt;
    auto bitmap = graphics::Bitmap::make(static_cast<int>(w), static_cast<int>(h));
    if (!bitmap) return std::nullopt;
    {
        Canvas canvas(*bitmap, scale);
        canvas.translate(-bounds.minX(), -bounds.minY());
        drawLayerTree(canvas, view.layer(), true);
    }
    return bitmap;
}

}  // namespace platform::ui
