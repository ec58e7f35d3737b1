#pragma once
// Message digests.
#include <string>
#include <string_view>

namespace platform {

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

}  // namespace platform
