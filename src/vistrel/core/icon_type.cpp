#include "vistrel/core/icon_type.hpp"

#include "vistrel/platform/foundation/enum_table.hpp"

namespace vistrel {

namespace {

using I = VistrelIconType;
constexpr platform::EnumTable<VistrelIconType, char32_t, 24> kCodePoints{{
    {I::Favorites, 0xE902},      {I::Tutorial, 0xE904},     {I::WaitingList, 0xE901},
    {I::Recents, 0xE903},        {I::Informations, 0xE907}, {I::Developer, 0xE906},
    {I::Close, 0xE905},          {I::Flash, 0xE908},        {I::StarEmpty, 0xE909},
    {I::StarFull, 0xE910},       {I::ArrowLeft, 0xE911},    {I::ArrowRight, 0xE900},
    {I::MorePoints, 0xE912},     {I::TrashLines, 0xE913},   {I::TrashNoLines, 0xE914},
    {I::DoubleLoop, 0xE915},     {I::TrashEmpty, 0xE916},   {I::PhotoCircle, 0xE917},
    {I::PhotoDetail, 0xE918},    {I::RadioUnchecked, 0xE919}, {I::Mountain, 0xE920},
    {I::ThreeBars, 0xE921},      {I::ThreeDots, 0xE922},    {I::Grid, 0xE923},
}};

// Every glyph is in U+E000...U+EFFF: three bytes of UTF-8.
std::string utf8(char32_t c) {
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

}  // namespace

char32_t codePoint(VistrelIconType icon) { return platform::rawValueIn(kCodePoints, icon); }

std::string rawValue(VistrelIconType icon) { return utf8(codePoint(icon)); }

std::optional<VistrelIconType> iconTypeFromRawValue(std::string_view raw) {
    for (const auto& [icon, c] : kCodePoints)
        if (raw == utf8(c)) return icon;
    return std::nullopt;
}

namespace icon_type {
const std::vector<VistrelIconType>& allValues() {
    static const std::vector<VistrelIconType> all = [] {
        std::vector<VistrelIconType> values;
        for (const auto& entry : kCodePoints) values.push_back(entry.first);
        return values;
    }();
    return all;
}
}  // namespace icon_type

}  // namespace vistrel
