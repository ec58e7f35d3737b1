#pragma once
// Text with attributes over byte ranges of its UTF-8 form: font, foreground colour and
// paragraph alignment. What a range leaves unset comes from whoever lays the text out.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/font.hpp"

namespace platform::graphics {

enum class TextAlignment { left, center, right, justified, natural };

struct TextAttributes {
    std::optional<Font> font;
    std::optional<Color> foregroundColor;
    std::optional<TextAlignment> alignment;

    bool empty() const { return !font && !foregroundColor && !alignment; }
};

// Attributes over bytes [location, location + length) of the text.
struct AttributeRun {
    std::size_t location = 0;
    std::size_t length = 0;
    TextAttributes attributes;
};

class AttributedString {
public:
    AttributedString() = default;
    // The text with `attributes` over its whole length.
    explicit AttributedString(std::string text, TextAttributes attributes = {});

    const std::string& text() const { return text_; }
    std::size_t length() const { return text_.size(); }

    // Sets the given attributes over a byte range (cut to the text); attributes the
    // call leaves unset keep their values.
    void addAttributes(const TextAttributes& attributes, std::size_t location, std::size_t length);
    void addAttributes(const TextAttributes& attributes) { addAttributes(attributes, 0, text_.size()); }

    // The attributes in force at a byte (empty outside the text).
    TextAttributes attributesAt(std::size_t index) const;

    // Non-overlapping runs in text order, each with the attributes in force over it
    // (runs with no attribute are left out).
    const std::vector<AttributeRun>& runs() const { return runs_; }

private:
    std::string text_;
    std::vector<AttributeRun> runs_;
};

}  // namespace platform::graphics
