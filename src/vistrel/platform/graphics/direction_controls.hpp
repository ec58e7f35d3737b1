#pragma once
// The explicit direction controls of bidirectional text (internal to platform/graphics):
// the embeddings and overrides that the pop directional formatting closes, and the
// isolates that the pop directional isolate closes. Every reader of them asks here.
namespace platform::graphics {

// By their usual names: left-to-right and right-to-left embedding (LRE, RLE), override
// (LRO, RLO) and isolate (LRI, RLI), first-strong isolate (FSI), and the two pops (PDF, PDI).
inline constexpr char32_t kLre = 0x202A, kRle = 0x202B, kPdf = 0x202C, kLro = 0x202D, kRlo = 0x202E;
inline constexpr char32_t kLri = 0x2066, kRli = 0x2067, kFsi = 0x2068, kPdi = 0x2069;

// What a character does to the stack of embeddings, overrides and isolates.
enum class DirectionControl { none, opens, closes };

constexpr DirectionControl directionControl(char32_t c) {
    switch (c) {
        case kLre: case kRle: case kLro: case kRlo: case kLri: case kRli: case kFsi:
            return DirectionControl::opens;
        case kPdf: case kPdi:
            return DirectionControl::closes;
        default:
            return DirectionControl::none;
    }
}

}  // namespace platform::graphics
