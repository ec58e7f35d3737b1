#pragma once
// The "button" section of a style: the background of an action row or of the title
// bar. Values are kept as sent (colours stay texts); absent fields fall back to the
// theme defaults where they are used.
#include <cstdint>
#include <optional>
#include <string>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/style_enums.hpp"

namespace vistrel {

// A row height: a whole number (a multiple of the theme's height), or a width-to-height
// ratio whose parts may each be missing.
struct Height {
    std::optional<std::intptr_t> value{};
    std::optional<float> ratioWidth{};
    std::optional<float> ratioHeight{};

    friend bool operator==(const Height&, const Height&) = default;
};

struct Button {
    std::optional<std::string> backgroundColor{};  // "background-color", unchanged
    std::optional<float> opacity{};                // "opacity", a text or a JSON number
    std::optional<std::string> rgbaColor{};        // "background-color" when it holds "rgba"
    std::optional<bool> display{};                 // "display": "true" or anything else
    std::optional<std::intptr_t> radius{};         // "radius", a whole integer text
    std::optional<Height> height{};                // "height": "2" or "16x9"
    std::optional<ImageSize> imageSize{};          // "image-size"
    std::optional<HorizontalPosition> imagePosition{};  // "image-position"

    // Reads a "button" section; never fails, a malformed value leaves its field absent.
    static Button fromJson(const JSON& json);
    // The background of QR-code actions: "#000000" at opacity 0.6, nothing else.
    static Button fromQrCodeType(QrCodeType type);

    friend bool operator==(const Button&, const Button&) = default;
};

}  // namespace vistrel
