#pragma once
// Upper-casing of UTF-8 text by the Unicode case mappings ("récents" gives "RÉCENTS").
#include <string>
#include <string_view>

namespace platform::graphics {

// The text upper-cased; bytes that are not valid UTF-8 are kept as they are, with the
// ASCII letters around them upper-cased.
std::string uppercased(std::string_view utf8);

}  // namespace platform::graphics
