#include "core/icon_type.hpp"

#include <array>

namespace vistrel {

namespace {

constexpr std::array<char32_t, 24> kCodePoints = {
    0xE902, 0xE904, 0xE901, 0xE903, 0xE907, 0xE906, 0xE905, 0xE908, 0xE909, 0xE910, 0xE911, 0xE900,
    0xE912, 0xE913, 0xE914, 0xE915, 0xE916, 0xE917, 0xE918, 0xE919, 0xE920, 0xE921, 0xE922, 0xE923,
};

// Every glyph is in U+E000...U+EFFF: three bytes of UTF-8.
std::string utf8(char32_t c) {
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

}  // namespace

char32_t codePoint(VistrelIconType icon) { return kCodePoints[static_cast<std::size_t>(icon)]; }

std::string rawValue(VistrelIconType icon) { return utf8(codePoint(icon)); }

std::optional<VistrelIconType> iconTypeFromRawValue(std::string_view raw) {
    for (VistrelIconType icon : icon_type::allValues())
        if (raw == rawValue(icon)) return icon;
    return std::nullopt;
}

namespace icon_type {
const std::vector<VistrelIconType>& allValues() {
    static const std::vector<VistrelIconType> all = [] {
        std::vector<VistrelIconType> values;
        for (std::size_t i = 0; i < kCodePoints.size(); ++i) values.push_back(static_cast<VistrelIconType>(i));
        return values;
    }();
    return all;
}
}  // namespace icon_type

}  // namespace vistrel
