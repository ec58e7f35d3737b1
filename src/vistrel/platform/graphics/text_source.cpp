#include "vistrel/platform/graphics/text_source.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

#include "vistrel/platform/graphics/bounded_text.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/text.hpp"
#include "vistrel/platform/graphics/text_engine.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

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
std::size_t characterStart(const std::string& text, std::size_t index) {
    return platform::utf8CharacterStart(text, std::min(index, text.size()));
}

guint16 channel(double component) {
    if (!(component > 0)) return 0;
    if (component >= 1) return 65535;
    return static_cast<guint16>(std::lround(component * 65535));
}

void insert(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, attribute);
}

void addColor(PangoAttrList* list, const Color& color, std::size_t start, std::size_t end) {
    insert(list, pango_attr_foreground_new(channel(color.r), channel(color.g), channel(color.b)), start, end);
    // Pango reads an alpha of 0 as "not set"; the faintest alpha it has stands in for it.
    insert(list, pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(color.a))), start, end);
}

}  // namespace

TextSource::TextSource(const AttributedString& text) {
    const std::string valid = validUtf8(text.text());
    const BoundedText bounded(valid);
    utf8_ = bounded.utf8();
    largestPointSize_ = defaultTextFontSize;
    for (const AttributeRun& run : text.runs()) {
        std::size_t start = bounded.offset(characterStart(valid, run.location));
        std::size_t end = bounded.offset(run.location + run.length >= valid.size()
                                             ? valid.size()
                                             : characterStart(valid, run.location + run.length));
        if (start >= end) continue;
        runs_.push_back({start, end - start, run.attributes});
        if (run.attributes.font) largestPointSize_ = std::max(largestPointSize_, run.attributes.font->pointSize);
    }
}

std::string TextSource::text(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions) const {
    begin = characterStart(utf8_, begin);
    end = characterStart(utf8_, end);
    std::string text;
    text.reserve(end - begin);
    std::size_t copied = begin;
    for (const TextInsertion& insertion : insertions) {
        text.append(utf8_, copied, insertion.at - copied);
        text += insertion.text;
        copied = insertion.at;
    }
    text.append(utf8_, copied, end - copied);
    return text;
}

PangoAttrList* TextSource::attributes(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions,
                                      bool baseFont) const {
    begin = characterStart(utf8_, begin);
    end = characterStart(utf8_, end);
    PangoAttrList* attributes = pango_attr_list_new();
    if (baseFont) {
        if (auto font = FontRegistry::shared().defaultFont(defaultTextFontSize)) {
            PangoFontDescription* description = fontDescription(*font);
            pango_attr_list_insert_before(attributes, pango_attr_font_desc_new(description));
            pango_font_description_free(description);
        }
    }
    // Where a source offset lands in the text: inserted text goes with the run that ends
    // where it was put in, except at `begin`, where it goes with the run there.
    std::size_t nextInsertion = 0, insertedBytes = 0;
    auto offset = [&](std::size_t at) -> std::size_t {
        if (at == begin) return 0;
        while (nextInsertion < insertions.size() && insertions[nextInsertion].at <= at)
            insertedBytes += insertions[nextInsertion++].text.size();
        return at - begin + insertedBytes;
    };
    auto first = std::upper_bound(runs_.begin(), runs_.end(), begin,
                                  [](std::size_t at, const AttributeRun& run) { return at < run.location + run.length; });
    for (auto run = first; run != runs_.end() && run->location < end; ++run) {
        std::size_t start = offset(std::max(run->location, begin));
        std::size_t stop = offset(std::min(run->location + run->length, end));
        if (start >= stop) continue;
        if (run->attributes.font) {
            PangoFontDescription* description = fontDescription(*run->attributes.font);
            insert(attributes, pango_attr_font_desc_new(description), start, stop);
            pango_font_description_free(description);
        }
        if (run->attributes.foregroundColor) addColor(attributes, *run->attributes.foregroundColor, start, stop);
    }
    return attributes;
}

PangoLayout* TextSource::layout(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions) const {
    const std::string text = this->text(begin, end, insertions);
    PangoLayout* layout = pango_layout_new(textContext());
    pango_layout_set_text(layout, text.data(), static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)));
    if (auto font = FontRegistry::shared().defaultFont(defaultTextFontSize)) {
        PangoFontDescription* description = fontDescription(*font);
        pango_layout_set_font_description(layout, description);
        pango_font_description_free(description);
    }
    PangoAttrList* attributes = this->attributes(begin, end, insertions, false);
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    return layout;
}

std::size_t TextSource::sourceOffset(std::size_t begin, const std::vector<TextInsertion>& insertions,
                                     std::size_t layoutOffset) {
    std::size_t source = begin, laid = 0;
    for (const TextInsertion& insertion : insertions) {
        if (layoutOffset < laid + (insertion.at - source)) break;
        laid += insertion.at - source;
        source = insertion.at;
        if (layoutOffset < laid + insertion.text.size()) return insertion.at;
        laid += insertion.text.size();
    }
    return source + (layoutOffset - laid);
}

}  // namespace platform::graphics
