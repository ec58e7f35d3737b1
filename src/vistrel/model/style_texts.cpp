#include "vistrel/model/style_texts.hpp"

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_reading.hpp"

namespace vistrel {

namespace {

// Style::fromJson of JSON::parseJSON(text), read off the parsed text without making a
// JSON value of it: a text that is not JSON leaves every field absent, as the null
// value does.
Style styleFromText(std::string_view text) {
    Style style;
    platform::json::readView(text, [&](const platform::json::ValueView& root) { style = readStyle(ViewMembers(root)); });
    return style;
}

}  // namespace

Style StyleTexts::read(std::string_view text) {
    for (std::size_t i = 0; i < count_; ++i) {
        Met& met = met_[i];
        if (met.text != text) continue;
        if (!met.style) met.style = styleFromText(text);
        return *met.style;
    }
    met_[next_] = {text, std::nullopt};
    next_ = (next_ + 1) % remembered;
    if (count_ < remembered) ++count_;
    return styleFromText(text);
}

}  // namespace vistrel
