#include "vistrel/platform/graphics/open_embeddings.hpp"

#include "vistrel/platform/graphics/direction_controls.hpp"

namespace platform::graphics {

namespace {

// The deepest embedding level the bidi algorithm opens.
constexpr int kMostLevels = 125;

// The direction control encoded at `p`, or 0. Every one is a three-byte sequence in
// UTF-8, starting with E2.
char32_t controlAt(const std::string& text, std::size_t p) {
    if (p + 2 >= text.size() || static_cast<unsigned char>(text[p]) != 0xE2) return 0;
    const auto second = static_cast<unsigned char>(text[p + 1]), third = static_cast<unsigned char>(text[p + 2]);
    if ((second & 0xC0) != 0x80 || (third & 0xC0) != 0x80) return 0;
    const char32_t c = 0x2000 | static_cast<char32_t>((second & 0x3F) << 6) | (third & 0x3Fu);
    return directionControl(c) == DirectionControl::none ? 0 : c;
}

void appendUtf8(std::string& out, char32_t c) {
    // Every control is a three-byte sequence.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

void OpenEmbeddings::startParagraph(bool rightToLeft) {
    paragraphLevel_ = rightToLeft ? 1 : 0;
    stack_.clear();
    overflowIsolates_ = overflowEmbeddings_ = isolates_ = 0;
}

void OpenEmbeddings::read(const std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t p = from; p < to && p < text.size(); ++p) {
        const char32_t control = controlAt(text, p);
        if (control == 0) continue;
        if (control == kPdf) {
            closeEmbedding();
        } else if (control == kPdi) {
            closeIsolate();
        } else {
            open(control);
        }
        p += 2;
    }
}

void OpenEmbeddings::open(char32_t control) {
    const bool isolate = control == kLri || control == kRli || control == kFsi;
    // A first-strong isolate takes its direction from the text it holds; reopened, it does
    // again. Its level here only decides when the depth runs out.
    const bool rightToLeft = control == kRle || control == kRlo || control == kRli;
    const int level = stack_.empty() ? paragraphLevel_ : stack_.back().level;
    const int next = rightToLeft ? (level + 1) | 1 : (level + 2) & ~1;
    if (next <= kMostLevels && overflowIsolates_ == 0 && overflowEmbeddings_ == 0) {
        stack_.push_back({control, next, isolate});
        if (isolate) ++isolates_;
    } else if (isolate) {
        ++overflowIsolates_;
    } else if (overflowIsolates_ == 0) {
        ++overflowEmbeddings_;
    }
}

void OpenEmbeddings::closeEmbedding() {
    if (overflowIsolates_ > 0) return;
    if (overflowEmbeddings_ > 0) {
        --overflowEmbeddings_;
    } else if (!stack_.empty() && !stack_.back().isolate) {
        stack_.pop_back();
    }
}

void OpenEmbeddings::closeIsolate() {
    if (overflowIsolates_ > 0) {
        --overflowIsolates_;
        return;
    }
    if (isolates_ == 0) return;
    overflowEmbeddings_ = 0;
    while (!stack_.back().isolate) stack_.pop_back();
    stack_.pop_back();
    --isolates_;
}

std::string OpenEmbeddings::openers() const {
    std::string out;
    for (const Entry& entry : stack_) appendUtf8(out, entry.control);
    return out;
}

}  // namespace platform::graphics
