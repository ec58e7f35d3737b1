#include "model/style_enums.hpp"

#include <array>

namespace vistrel {

namespace {

// The first case, in declaration order, whose text equals `raw`.
template <typename Enum, std::size_t N>
std::optional<Enum> match(const std::array<Enum, N>& cases, std::string_view raw) {
    for (Enum value : cases)
        if (rawValue(value) == raw) return value;
    return std::nullopt;
}

}  // namespace

std::string_view rawValue(ImageSize value) {
    switch (value) {
    case ImageSize::cover: return "cover";
    case ImageSize::contain: return "contain";
    }
    return {};
}

std::string_view rawValue(VerticalPosition value) {
    switch (value) {
    case VerticalPosition::top: return "top";
    case VerticalPosition::bottom: return "bottom";
    case VerticalPosition::center: return "middle";
    }
    return {};
}

std::string_view rawValue(HorizontalPosition value) {
    switch (value) {
    case HorizontalPosition::left: return "left";
    case HorizontalPosition::right: return "right";
    case HorizontalPosition::center: return "center";
    }
    return {};
}

std::string_view rawValue(FontWeight value) {
    switch (value) {
    case FontWeight::normal: return "normal";
    case FontWeight::bold: return "bold";
    }
    return {};
}

std::string_view rawValue(FontStyle value) {
    switch (value) {
    case FontStyle::normal: return "normal";
    case FontStyle::italic: return "italic";
    }
    return {};
}

std::optional<ImageSize> imageSizeFromRawValue(std::string_view raw) {
    return match(std::array{ImageSize::cover, ImageSize::contain}, raw);
}

std::optional<VerticalPosition> verticalPositionFromRawValue(std::string_view raw) {
    return match(std::array{VerticalPosition::top, VerticalPosition::bottom, VerticalPosition::center},
                 raw);
}

std::optional<HorizontalPosition> horizontalPositionFromRawValue(std::string_view raw) {
    return match(
        std::array{HorizontalPosition::left, HorizontalPosition::right, HorizontalPosition::center},
        raw);
}

std::optional<FontWeight> fontWeightFromRawValue(std::string_view raw) {
    return match(std::array{FontWeight::normal, FontWeight::bold}, raw);
}

std::optional<FontStyle> fontStyleFromRawValue(std::string_view raw) {
    return match(std::array{FontStyle::normal, FontStyle::italic}, raw);
}

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
