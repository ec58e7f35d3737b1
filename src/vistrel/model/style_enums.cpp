#include "vistrel/model/style_enums.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace vistrel {

namespace {

using platform::caseIn;
using platform::rawValueIn;
using std::string_view;

constexpr platform::EnumTable<ImageSize, string_view, 2> kImageSizes{{
    {ImageSize::cover, "cover"},
    {ImageSize::contain, "contain"},
}};
constexpr platform::EnumTable<VerticalPosition, string_view, 3> kVerticalPositions{{
    {VerticalPosition::top, "top"},
    {VerticalPosition::bottom, "bottom"},
    {VerticalPosition::center, "middle"},
}};
constexpr platform::EnumTable<HorizontalPosition, string_view, 3> kHorizontalPositions{{
    {HorizontalPosition::left, "left"},
    {HorizontalPosition::right, "right"},
    {HorizontalPosition::center, "center"},
}};
constexpr platform::EnumTable<FontWeight, string_view, 2> kFontWeights{{
    {FontWeight::normal, "normal"},
    {FontWeight::bold, "bold"},
}};
constexpr platform::EnumTable<FontStyle, string_view, 2> kFontStyles{{
    {FontStyle::normal, "normal"},
    {FontStyle::italic, "italic"},
}};

}  // namespace

string_view rawValue(ImageSize value) { return rawValueIn(kImageSizes, value); }
string_view rawValue(VerticalPosition value) { return rawValueIn(kVerticalPositions, value); }
string_view rawValue(HorizontalPosition value) { return rawValueIn(kHorizontalPositions, value); }
string_view rawValue(FontWeight value) { return rawValueIn(kFontWeights, value); }
string_view rawValue(FontStyle value) { return rawValueIn(kFontStyles, value); }

std::optional<ImageSize> imageSizeFromRawValue(string_view raw) { return caseIn(kImageSizes, raw); }
std::optional<VerticalPosition> verticalPositionFromRawValue(string_view raw) {
    return caseIn(kVerticalPositions, raw);
}
std::optional<HorizontalPosition> horizontalPositionFromRawValue(string_view raw) {
    return caseIn(kHorizontalPositions, raw);
}
std::optional<FontWeight> fontWeightFromRawValue(string_view raw) { return caseIn(kFontWeights, raw); }
std::optional<FontStyle> fontStyleFromRawValue(string_view raw) { return caseIn(kFontStyles, raw); }

platform::graphics::TextAlignment nsTextAlignment(HorizontalPosition position) {
    using platform::graphics::TextAlignment;
    switch (position) {
    case HorizontalPosition::left: return TextAlignment::left;
    case HorizontalPosition::right: return TextAlignment::right;
    case HorizontalPosition::center: return TextAlignment::center;
    }
    return TextAlignment::natural;
}

}  // namespace vistrel
