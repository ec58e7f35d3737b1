#include "vistrel/platform/graphics/attributed_string.hpp"

#include <algorithm>

namespace platform::graphics {

namespace {

void merge(TextAttributes& into, const TextAttributes& from) {
    if (from.font) into.font = from.font;
    if (from.foregroundColor) into.foregroundColor = from.foregroundColor;
    if (from.alignment) into.alignment = from.alignment;
}

}  // namespace

AttributedString::AttributedString(std::string text, TextAttributes attributes) : text_(std::move(text)) {
    addAttributes(attributes);
}

void AttributedString::addAttributes(const TextAttributes& attributes, std::size_t location, std::size_t length) {
    std::size_t begin = std::min(location, text_.size());
    std::size_t end = begin + std::min(length, text_.size() - begin);
    if (begin == end || attributes.empty()) return;

    // Split the runs at the range's ends, fill the gaps with empty runs, then merge.
    std::vector<AttributeRun> result;
    std::size_t cursor = 0;
    auto emit = [&](std::size_t from, std::size_t to, TextAttributes attrs) {
        if (from >= to) return;
        if (from < end && to > begin) {
            // Entirely inside or outside the range: callers split beforehand.
            merge(attrs, attributes);
        }
        if (attrs.empty()) return;
        result.push_back({from, to - from, std::move(attrs)});
    };
    auto emitSplit = [&](std::size_t from, std::size_t to, const TextAttributes& attrs) {
        std::size_t cuts[] = {from, std::clamp(begin, from, to), std::clamp(end, from, to), to};
        for (int i = 0; i < 3; ++i) emit(cuts[i], cuts[i + 1], attrs);
    };
    for (const AttributeRun& run : runs_) {
        emitSplit(cursor, run.location, {});
        emitSplit(run.location, run.location + run.length, run.attributes);
        cursor = run.location + run.length;
    }
    emitSplit(cursor, text_.size(), {});
    runs_ = std::move(result);
}

TextAttributes AttributedString::attributesAt(std::size_t index) const {
    for (const AttributeRun& run : runs_)
        if (index >= run.location && index < run.location + run.length) return run.attributes;
    return {};
}

}  // namespace platform::graphics
