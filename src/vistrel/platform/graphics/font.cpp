#include "vistrel/platform/graphics/font.hpp"

#include <cmath>
#include <utility>

namespace platform::graphics {

std::optional<Font> Font::make(std::shared_ptr<const FontFace> face, double pointSize) {
    if (!face || !std::isfinite(pointSize) || pointSize <= 0) return std::nullopt;
    Font font;
    font.postScriptName = face->postScriptName();
    font.familyName = face->familyName();
    font.styleName = face->styleName();
    font.pointSize = pointSize;
    font.ascender = face->ascenderPerEm() * pointSize;
    font.descender = face->descenderPerEm() * pointSize;
    font.lineHeight = face->lineHeightPerEm() * pointSize;
    // A size near the largest double overflows the metrics; such a font measures nothing.
    if (!std::isfinite(font.ascender) || !std::isfinite(font.descender) ||
        !std::isfinite(font.lineHeight))
        return std::nullopt;
    font.face = std::move(face);
    return font;
}

}  // namespace platform::graphics
