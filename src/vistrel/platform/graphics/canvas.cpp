#include "vistrel/platform/graphics/canvas.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "vistrel/platform/graphics/text_engine.hpp"
#include "vistrel/platform/graphics/text_layout.hpp"

namespace platform::graphics {

namespace {

bool finite(double v) { return std::isfinite(v); }
bool finite(const Rect& r) {
    return finite(r.origin.x) && finite(r.origin.y) && finite(r.size.width) && finite(r.size.height);
}

double component(double v) { return std::isnan(v) ? 0 : v; }

void setColor(cairo_t* cr, const Color& c) {
    cairo_set_source_rgba(cr, component(c.r), component(c.g), component(c.b), component(c.a));
}

void appendPath(cairo_t* cr, const Path& path) {
    for (const Path::Element& element : path.elements()) {
        if (auto* move = std::get_if<Path::MoveTo>(&element)) {
            cairo_move_to(cr, move->point.x, move->point.y);
        } else if (auto* line = std::get_if<Path::LineTo>(&element)) {
            cairo_line_to(cr, line->point.x, line->point.y);
        } else if (auto* arc = std::get_if<Path::Arc>(&element)) {
            if (!(arc->radius > 0)) continue;
            if (arc->clockwise)
                cairo_arc(cr, arc->center.x, arc->center.y, arc->radius, arc->startAngle, arc->endAngle);
            else
                cairo_arc_negative(cr, arc->center.x, arc->center.y, arc->radius, arc->startAngle, arc->endAngle);
        } else {
            cairo_close_path(cr);
        }
    }
}

bool finitePath(const Path& path) {
    Rect box = path.boundingBox();
    return finite(box);
}

cairo_line_cap_t cairoCap(LineCap cap) {
    switch (cap) {
        case LineCap::round: return CAIRO_LINE_CAP_ROUND;
        case LineCap::square: return CAIRO_LINE_CAP_SQUARE;
        default: return CAIRO_LINE_CAP_BUTT;
    }
}

}  // namespace

struct Canvas::Impl {
    enum class Kind { save, transparency, shadow };
    struct Entry {
        Kind kind;
        bool suppressed;  // the state before this entry
        double alpha = 1;
        Color shadowColor;
        Size shadowOffset;
    };

    Bitmap* bitmap = nullptr;
    double scale = 1;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    // A singular transform (a view scaled to nothing) makes everything after it, up to
    // the matching restore, draw nothing; the engine itself cannot take such a matrix.
    bool suppressed = false;
    std::vector<Entry> stack;

    bool drawing() const { return !suppressed; }

    void push(Entry entry) {
        entry.suppressed = suppressed;
        stack.push_back(entry);
    }

    // Pops the top entry, undoing what it began.
    void pop() {
        Entry entry = stack.back();
        stack.pop_back();
        suppressed = entry.suppressed;
        switch (entry.kind) {
            case Kind::save:
                cairo_restore(cr);
                break;
            case Kind::transparency:
                cairo_pop_group_to_source(cr);
                cairo_paint_with_alpha(cr, std::clamp(component(entry.alpha), 0.0, 1.0));
                break;
            case Kind::shadow: {
                cairo_pattern_t* content = cairo_pop_group(cr);
                cairo_save(cr);
                cairo_translate(cr, entry.shadowOffset.width, entry.shadowOffset.height);
                setColor(cr, entry.shadowColor);
                cairo_mask(cr, content);
                cairo_restore(cr);
                cairo_set_source(cr, content);
                cairo_paint(cr);
                cairo_pattern_destroy(content);
                break;
            }
        }
    }

    // Unwinds to (and including) the topmost entry of `kind`; nothing if there is none.
    void popThrough(Kind kind) {
        bool found = false;
        for (const Entry& entry : stack) found = found || entry.kind == kind;
        if (!found) return;
        while (!stack.empty()) {
            Kind top = stack.back().kind;
            pop();
            if (top == kind) return;
        }
    }
};

Canvas::Canvas(Bitmap& bitmap, double scale) : impl_(std::make_unique<Impl>()) {
    impl_->bitmap = &bitmap;
    impl_->scale = std::isfinite(scale) && scale > 0 ? scale : 1;
    if (bitmap.isEmpty())
        impl_->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
    else
        impl_->surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(bitmap.data()),
                                                             CAIRO_FORMAT_ARGB32, bitmap.width(),
                                                             bitmap.height(), bitmap.stride());
    impl_->cr = cairo_create(impl_->surface);
    cairo_scale(impl_->cr, impl_->scale, impl_->scale);
}

Canvas::~Canvas() {
    while (!impl_->stack.empty()) impl_->pop();
    cairo_destroy(impl_->cr);
    cairo_surface_flush(impl_->surface);
    cairo_surface_destroy(impl_->surface);
}

double Canvas::scale() const { return impl_->scale; }

Size Canvas::size() const {
    return {impl_->bitmap->width() / impl_->scale, impl_->bitmap->height() / impl_->scale};
}

void Canvas::save() {
    impl_->push({Impl::Kind::save, false, 1, {}, {}});
    cairo_save(impl_->cr);
}

void Canvas::restore() {
    // A restore never closes a layer; one without its save is ignored.
    if (!impl_->stack.empty() && impl_->stack.back().kind == Impl::Kind::save) impl_->pop();
}

void Canvas::translate(double dx, double dy) {
    concat(AffineTransform::translation(dx, dy));
}

void Canvas::concat(const AffineTransform& t) {
    if (!impl_->drawing()) return;
    double determinant = t.a * t.d - t.b * t.c;
    if (!finite(t.a) || !finite(t.b) || !finite(t.c) || !finite(t.d) || !finite(t.tx) || !finite(t.ty) ||
        !finite(determinant) || std::abs(determinant) < 1e-12) {
        impl_->suppressed = true;
        return;
    }
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(impl_->cr, &matrix);
}

AffineTransform Canvas::currentTransform() const {
    cairo_matrix_t m;
    cairo_get_matrix(impl_->cr, &m);
    double s = impl_->scale;
    return {m.xx / s, m.yx / s, m.xy / s, m.yy / s, m.x0 / s, m.y0 / s};
}

void Canvas::clip(const Rect& rect) {
    if (!impl_->drawing()) return;
    if (!finite(rect)) {
        impl_->suppressed = true;
        return;
    }
    Rect r = rect.standardized();
    cairo_rectangle(impl_->cr, r.minX(), r.minY(), r.width(), r.height());
    cairo_clip(impl_->cr);
}

void Canvas::clip(const Rect& rect, double cornerRadius) {
    Path path;
    path.addRoundedRect(rect, cornerRadius);
    clip(path);
}

void Canvas::clip(const Path& path) {
    if (!impl_->drawing()) return;
    if (!finitePath(path)) {
        impl_->suppressed = true;
        return;
    }
    appendPath(impl_->cr, path);
    cairo_clip(impl_->cr);
}

void Canvas::fill(const Rect& rect, Color color) {
    if (!impl_->drawing() || !finite(rect)) return;
    Rect r = rect.standardized();
    cairo_rectangle(impl_->cr, r.minX(), r.minY(), r.width(), r.height());
    setColor(impl_->cr, color);
    cairo_fill(impl_->cr);
}

void Canvas::fill(const Path& path, Color color) {
    if (!impl_->drawing() || !finitePath(path)) return;
    appendPath(impl_->cr, path);
    setColor(impl_->cr, color);
    cairo_fill(impl_->cr);
}

void Canvas::stroke(const Path& path, Color color, double lineWidth, LineCap cap) {
    if (!impl_->drawing() || !finitePath(path) || !finite(lineWidth) || lineWidth <= 0) return;
    cairo_t* cr = impl_->cr;
    appendPath(cr, path);
    setColor(cr, color);
    cairo_set_line_width(cr, lineWidth);
    cairo_set_line_cap(cr, cairoCap(cap));
    cairo_stroke(cr);
}

void Canvas::fillRoundedRect(const Rect& rect, double cornerRadius, Color color) {
    Path path;
    path.addRoundedRect(rect, cornerRadius);
    fill(path, color);
}

void Canvas::strokeRoundedRect(const Rect& rect, double cornerRadius, double lineWidth, Color color) {
    if (!impl_->drawing() || !finite(rect) || !finite(cornerRadius) || !finite(lineWidth) || lineWidth <= 0) return;
    // The ring between the outline and the same outline moved inwards by the width.
    Rect outer = rect.standardized();
    Path ring;
    ring.addRoundedRect(outer, cornerRadius);
    if (outer.width() > 2 * lineWidth && outer.height() > 2 * lineWidth)
        ring.addRoundedRect(outer.insetBy(lineWidth, lineWidth), cornerRadius - lineWidth);
    cairo_t* cr = impl_->cr;
    appendPath(cr, ring);
    setColor(cr, color);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void Canvas::clear(const Rect& rect) {
    if (!impl_->drawing() || !finite(rect)) return;
    cairo_t* cr = impl_->cr;
    Rect r = rect.standardized();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, r.minX(), r.minY(), r.width(), r.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

void Canvas::draw(const Image& image, const Rect& dest, std::optional<Color> tint) { draw(image, 0, dest, tint); }

void Canvas::draw(const Image& image, std::size_t frame, const Rect& dest, std::optional<Color> tint) {
    if (!impl_->drawing() || !finite(dest)) return;
    Rect d = dest.standardized();
    if (d.width() <= 0 || d.height() <= 0) return;
    const Bitmap& bitmap = image.frames()[std::min(frame, image.frames().size() - 1)];
    // The engine only reads a source surface; the cast does not lead to writes.
    cairo_surface_t* source = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(bitmap.data())), CAIRO_FORMAT_ARGB32,
        bitmap.width(), bitmap.height(), bitmap.stride());
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, bitmap.width() / d.width(), bitmap.height() / d.height());
    cairo_matrix_translate(&matrix, -d.minX(), -d.minY());
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);

    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_rectangle(cr, d.minX(), d.minY(), d.width(), d.height());
    cairo_clip(cr);
    if (tint) {
        setColor(cr, *tint);
        cairo_mask(cr, pattern);
    } else {
        cairo_set_source(cr, pattern);
        cairo_paint(cr);
    }
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(source);
}

void Canvas::fillLinearGradient(const Rect& rect, const std::vector<GradientStop>& stops, Point start, Point end) {
    if (!impl_->drawing() || !finite(rect) || stops.empty()) return;
    if (stops.size() == 1 || !finite(start.x) || !finite(start.y) || !finite(end.x) || !finite(end.y)) {
        fill(rect, stops.front().color);
        return;
    }
    cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const GradientStop& stop : stops) {
        const Color& c = stop.color;
        const double location = std::isnan(stop.location) ? 0 : std::clamp(stop.location, 0.0, 1.0);
        cairo_pattern_add_color_stop_rgba(pattern, location, component(c.r), component(c.g), component(c.b),
                                          component(c.a));
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_t* cr = impl_->cr;
    const Rect r = rect.standardized();
    cairo_save(cr);
    cairo_rectangle(cr, r.minX(), r.minY(), r.width(), r.height());
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

void Canvas::drawText(const AttributedString& text, const Rect& rect, const TextLayoutOptions& options) {
    if (!impl_->drawing() || !finite(rect) || text.text().empty()) return;
    Rect r = rect.standardized();
    cairo_t* cr = impl_->cr;
    cairo_save(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);  // text without a colour is black
    {
        std::lock_guard lock(textLock());
        // Lines below the clip are not laid out at all.
        double clipLeft, clipTop, clipRight, clipBottom;
        cairo_clip_extents(cr, &clipLeft, &clipTop, &clipRight, &clipBottom);
        TextLayout layout(text, options, r.width() > 0 ? std::optional<double>(r.width()) : std::nullopt,
                          clipBottom - r.minY());
        layout.draw(cr, r.origin);
    }
    cairo_restore(cr);
}

void Canvas::beginTransparencyLayer(double alpha) {
    impl_->push({Impl::Kind::transparency, false, alpha, {}, {}});
    cairo_push_group(impl_->cr);
}

void Canvas::endTransparencyLayer() { impl_->popThrough(Impl::Kind::transparency); }

void Canvas::beginShadow(Color color, Size offset) {
    if (!finite(offset.width) || !finite(offset.height)) offset = {};
    impl_->push({Impl::Kind::shadow, false, 1, color, offset});
    cairo_push_group(impl_->cr);
}

void Canvas::endShadow() { impl_->popThrough(Impl::Kind::shadow); }

}  // namespace platform::graphics
