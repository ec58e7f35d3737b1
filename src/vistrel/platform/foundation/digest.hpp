#pragma once
// Message digests.
#include <string>
#include <string_view>

namespace platform {

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

// The 128-bit FNV-1a hash of the bytes as 32 lower-case hexadecimal digits: the same in
// every process and build, and made without any library's state (none to set up, none torn
// down as the process ends), for names that must agree, never for what must not collide
// on purpose.
std::string fnv1a128Hex(std::string_view bytes);

}  // namespace platform
