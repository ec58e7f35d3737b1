#pragma once
// The text as text layout hands it to the engine (internal to platform/graphics; pulls in
// Pango): valid UTF-8 with its costly cases bounded (bounded_text.hpp) and its attribute
// runs, from which engine layouts of any byte range are made, with extra text put in where
// the caller asks. Use with textLock() held.
#include <pango/pangocairo.h>

#include <cstddef>
#include <string>
#include <vector>

#include "vistrel/platform/graphics/attributed_string.hpp"

namespace platform::graphics {

// Text put in before the byte at `at` of the source text.
struct TextInsertion {
    std::size_t at = 0;
    std::string text;
};

class TextSource {
public:
    explicit TextSource(const AttributedString& text);

    const std::string& utf8() const { return utf8_; }
    std::size_t size() const { return utf8_.size(); }
    // The largest font size the text is set in (the default size where a run sets none).
    double largestPointSize() const { return largestPointSize_; }

    // The text of bytes [begin, end), cut to character starts, with `insertions` (in
    // order, each at a character start in [begin, end]) put in.
    std::string text(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions = {}) const;
    // The attributes of that text. Inserted text takes those of the byte before it, or at
    // `begin` those of the byte there. With `baseFont`, the default font is set under
    // them all (a layout has it as its own font instead). The caller unrefs the list.
    PangoAttrList* attributes(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions,
                              bool baseFont) const;

    // A new layout (no width, left aligned) of bytes [begin, end), cut to character starts,
    // with `insertions` put in, as above. The caller unrefs it.
    PangoLayout* layout(std::size_t begin, std::size_t end, const std::vector<TextInsertion>& insertions = {}) const;

    // The byte of the source text at a byte offset of a layout made by layout(); an offset
    // inside inserted text gives the byte the text was put in before.
    static std::size_t sourceOffset(std::size_t begin, const std::vector<TextInsertion>& insertions,
                                    std::size_t layoutOffset);

private:
    std::string utf8_;
    std::vector<AttributeRun> runs_;  // each cut to character starts, none empty
    double largestPointSize_ = 0;
};

}  // namespace platform::graphics
