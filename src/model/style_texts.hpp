#pragma once
// Styles read from their texts for one answer. The service sends the same style text
// for many rows (and often for the title): each distinct text is parsed and read
// once, and the rows that repeat it get a copy of that style.
#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "model/style.hpp"

namespace vistrel {

class StyleTexts {
public:
    // Style::fromJson of the text parsed as JSON (read without making a JSON value of
    // it). The text is borrowed: it must outlive this memory (the answer being read
    // holds it).
    const Style& read(std::string_view text);

private:
    // The texts read last; answers repeat a handful of styles at most, so a short
    // list, replaced oldest first, keeps every look-up cheap.
    static constexpr std::size_t remembered = 4;
    std::array<std::pair<std::string_view, Style>, remembered> styles_{};
    std::size_t count_ = 0;
    std::size_t next_ = 0;
};

}  // namespace vistrel
