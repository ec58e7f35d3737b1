#pragma once
// The "text" and "icon" sections of a style: the label and the icon of an action row
// (or the title's label). Values are kept as sent; absent fields fall back to the
// theme defaults where they are used.
#include <cstdint>
#include <optional>
#include <string>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/style_enums.hpp"

namespace vistrel {

struct Text {
    // The size a section that names none gets; a malformed size stays absent.
    static constexpr std::intptr_t defaultFontSize = 16;

    std::optional<std::string> color{};            // "color", unchanged
    std::optional<float> opacity{};                // "opacity", a text or a JSON number
    std::optional<std::string> rgbaColor{};        // "color" when it holds "rgba"
    std::optional<FontWeight> fontWeight{};        // "font-weight"
    std::optional<FontStyle> fontStyle{};          // "font-style"
    std::optional<std::intptr_t> fontSize{};       // "font-size"; 16 when missing or not a text
    std::optional<bool> display{};                 // "display": "true" or anything else
    std::optional<HorizontalPosition> hposition{};  // "hposition"
    std::optional<VerticalPosition> vposition{};    // "vposition" ("middle" is the centre)
    std::optional<std::string> backgroundColor{};  // "background-color", unchanged

    // Reads a "text" section; never fails, a malformed value leaves its field absent.
    static Text fromJson(const JSON& json);
    // The label of QR-code actions: white at opacity 1 on a transparent background;
    // no font size, so the theme's applies.
    static Text fromQrCodeType(QrCodeType type);

    friend bool operator==(const Text&, const Text&) = default;
};

struct Icon {
    std::optional<double> size{};                   // "size", a number text
    std::optional<bool> display{};                  // "display": "true" or anything else
    std::optional<HorizontalPosition> hposition{};  // "hposition"
    std::optional<VerticalPosition> vposition{};    // "vposition"

    // Reads an "icon" section; never fails, a malformed value leaves its field absent.
    static Icon fromJson(const JSON& json);

    friend bool operator==(const Icon&, const Icon&) = default;
};

}  // namespace vistrel
