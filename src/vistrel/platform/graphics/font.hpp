#pragma once
// A font: a face at a size in points, with the metrics text layout needs.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/font_face.hpp"

namespace platform::graphics {

// The weights the system font comes in, by the weight class of their faces.
enum class FontWeight { regular = 400, medium = 500 };

struct Font {
    std::string postScriptName;
    std::string familyName;
    std::string styleName;
    double pointSize = 0;
    double ascender = 0;     // above the baseline, positive
    double descender = 0;    // below the baseline, negative
    double lineHeight = 0;   // baseline to baseline
    std::shared_ptr<const FontFace> face;  // the file behind it, for drawing

    // The face at `pointSize`; none for a null face, or a size that is not a finite
    // number above zero or so large that the metrics overflow.
    static std::optional<Font> make(std::shared_ptr<const FontFace> face, double pointSize);

    bool hasGlyph(char32_t codePoint) const { return face && face->hasGlyph(codePoint); }
};

}  // namespace platform::graphics
