#pragma once
// The pictograms of the kit's icon font ("icomoon"): each case is one private-use
// character that the font draws as the pictogram.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// In declaration order; the order is not the order of the code points.
enum class VistrelIconType {
    Favorites,       // U+E902
    Tutorial,        // U+E904
    WaitingList,     // U+E901
    Recents,         // U+E903
    Informations,    // U+E907
    Developer,       // U+E906
    Close,           // U+E905
    Flash,           // U+E908
    StarEmpty,       // U+E909
    StarFull,        // U+E910
    ArrowLeft,       // U+E911
    ArrowRight,      // U+E900
    MorePoints,      // U+E912
    TrashLines,      // U+E913
    TrashNoLines,    // U+E914
    DoubleLoop,      // U+E915
    TrashEmpty,      // U+E916
    PhotoCircle,     // U+E917
    PhotoDetail,     // U+E918
    RadioUnchecked,  // U+E919
    Mountain,        // U+E920
    ThreeBars,       // U+E921
    ThreeDots,       // U+E922
    Grid,            // U+E923
};

// The case's code point.
char32_t codePoint(VistrelIconType icon);
// The case's one-character glyph, in UTF-8.
std::string rawValue(VistrelIconType icon);
// The case whose glyph is exactly `raw` (one character, nothing around it); none otherwise.
std::optional<VistrelIconType> iconTypeFromRawValue(std::string_view raw);

namespace icon_type {
// All 24 cases in declaration order.
const std::vector<VistrelIconType>& allValues();
}  // namespace icon_type

}  // namespace vistrel
