#pragma once
// The small enumerations a style names by text: image sizing, positions, font weight
// and style, and the marker of styles made for QR-code actions. Texts match whole and
// case-sensitively; the vertical centre is written "middle".
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/attributed_string.hpp"

namespace vistrel {

enum class ImageSize { cover, contain };
enum class VerticalPosition { top, bottom, center };
enum class HorizontalPosition { left, right, center };
enum class FontWeight { normal, bold };
enum class FontStyle { normal, italic };

// The only kind of style made on the device (for QR-code actions); it has no text form.
enum class QrCodeType { url };

std::string_view rawValue(ImageSize value);         // "cover", "contain"
std::string_view rawValue(VerticalPosition value);  // "top", "bottom", "middle"
std::string_view rawValue(HorizontalPosition value);  // "left", "right", "center"
std::string_view rawValue(FontWeight value);        // "normal", "bold"
std::string_view rawValue(FontStyle value);         // "normal", "italic"

// The case whose text is exactly `raw`; none for any other text.
std::optional<ImageSize> imageSizeFromRawValue(std::string_view raw);
std::optional<VerticalPosition> verticalPositionFromRawValue(std::string_view raw);
std::optional<HorizontalPosition> horizontalPositionFromRawValue(std::string_view raw);
std::optional<FontWeight> fontWeightFromRawValue(std::string_view raw);
std::optional<FontStyle> fontStyleFromRawValue(std::string_view raw);

// The paragraph alignment a horizontal position stands for.
platform::graphics::TextAlignment nsTextAlignment(HorizontalPosition position);

}  // namespace vistrel
