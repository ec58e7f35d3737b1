#include "vistrel/platform/foundation/control_characters.hpp"

namespace platform {

namespace {

// The length of the control character at `i` (1, or 2 for a C1 control in UTF-8); 0
// when there is none there.
std::size_t controlAt(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) return 1;
    if (c == 0xC2 && i + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

}  // namespace

bool holdsControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (controlAt(text, i)) return true;
    return false;
}

std::string withoutControlCharacters(std::string_view text, LineBreaks lineBreaks) {
    const auto kept = [lineBreaks](char c) {
        return lineBreaks == LineBreaks::kept && (c == '\t' || c == '\r' || c == '\n');
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = controlAt(text, i); length && !kept(text[i])) {
            // A next line (C1 U+0085) ends a line as a line feed does: dropped, it
            // would run the words on either side together.
            if (lineBreaks == LineBreaks::kept && length == 2 && text[i + 1] == '\x85') out.push_back('\n');
            i += length;
            continue;
        }
        out.push_back(text[i++]);
    }
    return out;
}

}  // namespace platform
