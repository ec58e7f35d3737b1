#pragma once
// What the property-list library must never be handed (internal to platform/foundation).
// The library stops the whole process on a text holding a NUL character, recurses once
// per level of nesting while it parses, and parses a binary file's shared object again
// at every reference to it; so a damaged or hostile file (a preferences file, a
// bundle's Info.plist) is screened first, and a refused file reads as no property list.
#include <cstdint>
#include <string_view>

namespace platform {

enum class Screening {
    acceptable,    // the bytes may go to the library
    damaged,       // they cannot be a sound property list
    pastBounds,    // sound as far as the screen looked, but deeper or larger than the reader takes
};

// Acceptable: an XML form without any NUL byte and nested no deeper than a reader
// stopping at `maxDepth` levels of values could use; a binary form whose trailer, offset
// table and references hold together, whose tree of values reachable from the top (a
// shared object counted at every reference) has no cycle, at most `maxDepth` levels
// below the top and at most `maxNodes` values, and whose strings (ASCII or UTF-16) hold
// no NUL character. Past the bounds: deeper than `maxDepth`, or more than `maxNodes`
// values, and nothing else found wrong on the way. Damaged: anything else.
Screening screenPropertyListBytes(std::string_view bytes, int maxDepth, std::uint64_t maxNodes);

}  // namespace platform
