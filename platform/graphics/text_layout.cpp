#include "platform/graphics/text_layout.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/graphics/font_registry.hpp"
#include "platform/graphics/text_engine.hpp"

namespace platform::graphics {

namespace {

// Pango takes valid UTF-8 only. Each byte that is not part of a valid sequence (and each
// NUL) becomes '?', which keeps every byte offset of the attributes where it was.
std::string validUtf8(const std::string& text) {
    std::string out = text;
    const char* cursor = out.data();
    const char* end = out.data() + out.size();
    while (cursor < end) {
        const gchar* stop = nullptr;
        if (g_utf8_validate(cursor, end - cursor, &stop)) break;
        char* bad = const_cast<char*>(stop);
        if (bad >= end) break;
        *bad = '?';
        cursor = bad + 1;
    }
    return out;
}

// Moves a byte offset back to the start of its character.
guint characterStart(const std::string& text, std::size_t index) {
    index = std::min(index, text.size());
    while (index > 0 && index < text.size() && (static_cast<unsigned char>(text[index]) & 0xC0) == 0x80) --index;
    return static_cast<guint>(index);
}

guint16 channel(double component) {
    if (!(component > 0)) return 0;
    if (component >= 1) return 65535;
    return static_cast<guint16>(std::lround(component * 65535));
}

void addColor(PangoAttrList* list, const Color& color, guint start, guint end) {
    PangoAttribute* fg = pango_attr_foreground_new(channel(color.r), channel(color.g), channel(color.b));
    // Pango reads an alpha of 0 as "not set"; the faintest alpha it has stands in for it.
    PangoAttribute* alpha = pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(color.a)));
    for (PangoAttribute* attribute : {fg, alpha}) {
        attribute->start_index = start;
        attribute->end_index = end;
        pango_attr_list_insert(list, attribute);
    }
}

PangoAlignment pangoAlignment(TextAlignment alignment) {
    switch (alignment) {
        case TextAlignment::center: return PANGO_ALIGN_CENTER;
        case TextAlignment::right: return PANGO_ALIGN_RIGHT;
        default: return PANGO_ALIGN_LEFT;
    }
}

PangoEllipsizeMode ellipsizing(LineBreakMode mode) {
    switch (mode) {
        case LineBreakMode::truncateHead: return PANGO_ELLIPSIZE_START;
        case LineBreakMode::truncateTail: return PANGO_ELLIPSIZE_END;
        case LineBreakMode::truncateMiddle: return PANGO_ELLIPSIZE_MIDDLE;
        default: return PANGO_ELLIPSIZE_NONE;
    }
}

int pangoUnits(double points) {
    double units = std::round(points * PANGO_SCALE);
    return units >= INT_MAX ? INT_MAX : static_cast<int>(units);
}

}  // namespace

TextLayout::TextLayout(const AttributedString& text, const TextLayoutOptions& options, std::optional<double> width) {
    empty_ = text.text().empty();
    lineLimit_ = std::max(0, options.numberOfLines);
    layout_ = pango_layout_new(textContext());

    std::string utf8 = validUtf8(text.text());
    pango_layout_set_text(layout_, utf8.data(), static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX)));

    if (auto font = FontRegistry::shared().defaultFont(defaultTextFontSize)) {
        PangoFontDescription* description = fontDescription(*font);
        pango_layout_set_font_description(layout_, description);
        pango_font_description_free(description);
    }

    PangoAttrList* attributes = pango_attr_list_new();
    for (const AttributeRun& run : text.runs()) {
        guint start = characterStart(utf8, run.location);
        guint end = characterStart(utf8, run.location + run.length);
        if (run.location + run.length >= utf8.size()) end = static_cast<guint>(utf8.size());
        if (start >= end) continue;
        if (run.attributes.font) {
            PangoFontDescription* description = fontDescription(*run.attributes.font);
            PangoAttribute* attribute = pango_attr_font_desc_new(description);
            pango_font_description_free(description);
            attribute->start_index = start;
            attribute->end_index = end;
            pango_attr_list_insert(attributes, attribute);
        }
        if (run.attributes.foregroundColor) addColor(attributes, *run.attributes.foregroundColor, start, end);
    }
    pango_layout_set_attributes(layout_, attributes);
    pango_attr_list_unref(attributes);

    // A paragraph alignment in the text wins over the options' one.
    TextAlignment alignment = text.attributesAt(0).alignment.value_or(options.alignment);
    pango_layout_set_alignment(layout_, pangoAlignment(alignment));
    pango_layout_set_justify(layout_, alignment == TextAlignment::justified);

    if (width && std::isfinite(*width) && *width > 0) {
        pango_layout_set_width(layout_, pangoUnits(*width));
        pango_layout_set_wrap(layout_, options.lineBreakMode == LineBreakMode::charWrap ? PANGO_WRAP_CHAR
                                                                                         : PANGO_WRAP_WORD_CHAR);
        PangoEllipsizeMode ellipsize = ellipsizing(options.lineBreakMode);
        if (ellipsize != PANGO_ELLIPSIZE_NONE) {
            pango_layout_set_ellipsize(layout_, ellipsize);
            // Without a line limit every line is kept, so nothing is cut.
            pango_layout_set_height(layout_, lineLimit_ > 0 ? -lineLimit_ : -INT_MAX);
        }
    }
}

TextLayout::~TextLayout() { g_object_unref(layout_); }

int TextLayout::keptLines() const {
    int lines = pango_layout_get_line_count(layout_);
    return lineLimit_ > 0 ? std::min(lines, lineLimit_) : lines;
}

Size TextLayout::size() const {
    if (empty_) return {};
    int kept = keptLines();
    int widest = 0, bottom = 0;
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    for (int line = 0; line < kept; ++line) {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        widest = std::max(widest, logical.width);
        bottom = logical.y + logical.height;
        if (!pango_layout_iter_next_line(iter)) break;
    }
    pango_layout_iter_free(iter);
    return {double(widest) / PANGO_SCALE, double(bottom) / PANGO_SCALE};
}

void TextLayout::draw(cairo_t* cr, Point origin) const {
    if (empty_) return;
    int kept = keptLines();
    PangoLayoutIter* iter = pango_layout_get_iter(layout_);
    for (int line = 0; line < kept; ++line) {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        int baseline = pango_layout_iter_get_baseline(iter);
        cairo_move_to(cr, origin.x + double(logical.x) / PANGO_SCALE, origin.y + double(baseline) / PANGO_SCALE);
        pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(iter));
        if (!pango_layout_iter_next_line(iter)) break;
    }
    pango_layout_iter_free(iter);
}

}  // namespace platform::graphics
