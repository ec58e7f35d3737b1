#include "model/style_texts.hpp"

namespace vistrel {

const Style& StyleTexts::read(std::string_view text) {
    for (std::size_t i = 0; i < count_; ++i)
        if (styles_[i].first == text) return styles_[i].second;
    auto& slot = styles_[next_];
    slot = {text, Style::fromJson(JSON::parseJSON(text))};
    next_ = (next_ + 1) % remembered;
    if (count_ < remembered) ++count_;
    return slot.second;
}

}  // namespace vistrel
