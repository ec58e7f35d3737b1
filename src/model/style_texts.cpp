#include "model/style_texts.hpp"

#include "model/members.hpp"
#include "model/style_reading.hpp"

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

const Style& StyleTexts::read(std::string_view text) {
    for (std::size_t i = 0; i < count_; ++i)
        if (styles_[i].first == text) return styles_[i].second;
    auto& slot = styles_[next_];
    slot = {text, styleFromText(text)};
    next_ = (next_ + 1) % remembered;
    if (count_ < remembered) ++count_;
    return slot.second;
}

}  // namespace vistrel
