#pragma once
// Writing text into a growable byte buffer (a request body being built).
#include <cstdint>
#include <string_view>
#include <vector>

namespace vistrel {

// Appends the text's UTF-8 bytes as they are: no terminator, no byte-order mark.
void appendString(std::vector<std::uint8_t>& data, std::string_view text);

}  // namespace vistrel
