#pragma once
// Base64 (the standard alphabet, with padding), as text formats carry bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/foundation/value.hpp"

namespace platform {

// Appends the bytes in base64, in lines of `lineLength` characters (a multiple of 4),
// each line after `lineStart` and ended by a line
// feed; nothing for no bytes.
void appendBase64Lines(std::string& out, const Bytes& bytes, std::size_t lineLength, std::string_view lineStart);

// The bytes of a base64 text in which white space may stand anywhere. Padding may be
// left out; no value for any other character, a "=" before the end, or a length no
// encoding gives.
std::optional<Bytes> bytesOfBase64(std::string_view text);

}  // namespace platform
