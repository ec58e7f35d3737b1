#pragma once
// Randomness from the operating system, and UUIDs.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Fills the buffer from the kernel's random source (getrandom).
void randomBytes(void* buffer, std::size_t size);

// A uniformly distributed number in [0, upperBound) without modulo bias; 0 for a bound of 0.
std::uint64_t randomUniform(std::uint64_t upperBound);

// A new random (version 4) UUID in the upper-case 36-character form.
std::string makeUuidString();

}  // namespace platform
