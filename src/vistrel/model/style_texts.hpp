#pragma once
// Styles read from their texts for one answer. The service sends the same style text
// for many rows (and often for the title): a text met again is read once more and
// kept, and the rows after that get a copy. A text met only once is never copied.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "vistrel/model/style.hpp"

namespace vistrel {

class StyleTexts {
public:
    // Style::fromJson of the text parsed as JSON (read without making a JSON value of
    // it). The text is borrowed: it must outlive this memory (the answer being read
    // holds it).
    Style read(std::string_view text);

private:
    // The texts met last; answers repeat a handful of styles at most, so a short list,
    // replaced oldest first, keeps every look-up cheap.
    struct Met {
        std::string_view text;
        std::optional<Style> style;  // kept from the second meeting on
    };
    static constexpr std::size_t remembered = 4;
    std::array<Met, remembered> met_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

}  // namespace vistrel
