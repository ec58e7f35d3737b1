#pragma once
// One text from pieces appended in order (texts, literals, views, characters). Used
// instead of a `+` chain that starts with a literal: g++ 12 at -O3 gives a false
// -Wrestrict for `"literal" + std::string`.
#include <string>

namespace platform {

template <typename... Pieces>
std::string concatenate(const Pieces&... pieces) {
    std::string text;
    (text += ... += pieces);
    return text;
}

}  // namespace platform
