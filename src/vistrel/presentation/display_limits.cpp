#include "vistrel/presentation/display_limits.hpp"

#include "vistrel/platform/graphics/unicode_text.hpp"

namespace vistrel::display_limits {

std::string clampText(std::string_view text, std::size_t maxBytes, std::size_t maxLines) {
    const std::size_t kept = platform::graphics::boundedPrefixLength(text, maxBytes, maxLines);
    std::string clamped(text.substr(0, kept));
    if (kept < text.size()) clamped += textGoesOnMark;
    return clamped;
}

}  // namespace vistrel::display_limits
