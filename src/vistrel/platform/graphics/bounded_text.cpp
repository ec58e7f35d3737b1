#include "vistrel/platform/graphics/bounded_text.hpp"

#include <pango/pango.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/direction_controls.hpp"
#include "vistrel/platform/graphics/unicode_text.hpp"

namespace platform::graphics {

namespace {

constexpr std::string_view kZeroWidthSpace = "\u200B";

// The format characters that show as signs over the digits after them (an Arabic number
// sign, an end of ayah): seen, so never dropped.
bool isPrependedMark(gunichar c) {
    return (c >= 0x0600 && c <= 0x0605) || c == 0x06DD || c == 0x070F || c == 0x0890 || c == 0x0891 ||
           c == 0x08E2 || c == 0x110BD || c == 0x110CD;
}

// Marks and invisible format characters: what attaches to the character before it, or
// shows nothing on its own.
bool attaches(gunichar c) {
    if (isFormatCharacter(c)) return !isPrependedMark(c);
    switch (g_unichar_type(c)) {
        case G_UNICODE_NON_SPACING_MARK:
        case G_UNICODE_SPACING_MARK:
        case G_UNICODE_ENCLOSING_MARK:
            return true;
        default:
            return c >= 0x1F3FB && c <= 0x1F3FF;  // emoji skin-tone modifiers
    }
}

// Makes the text of one pass: the text before it, less what is dropped, with what is put
// in; the stretches kept are copied as they are.
class PassBuilder {
public:
    explicit PassBuilder(const std::string& source) : source_(source) {}

    void drop(std::size_t begin, std::size_t end) {
        copyUpTo(begin);
        copied_ = end;
        changed_ = true;
    }
    void insert(std::size_t at, std::string_view text) {
        copyUpTo(at);
        out_ += text;
        changed_ = true;
    }
    bool changed() const { return changed_; }
    // The text made; `spans` and `size` describe it.
    std::string finish(std::vector<BoundedText::Span>& spans, std::size_t& size) {
        copyUpTo(source_.size());
        spans = std::move(spans_);
        size = out_.size();
        return std::move(out_);
    }

private:
    void copyUpTo(std::size_t at) {
        if (at <= copied_) return;
        spans_.push_back({copied_, out_.size(), at - copied_});
        out_.append(source_, copied_, at - copied_);
        copied_ = at;
    }

    const std::string& source_;
    std::string out_;
    std::vector<BoundedText::Span> spans_;
    std::size_t copied_ = 0;
    bool changed_ = false;
};

// The deepest the bidi algorithm nests embeddings: more closing characters than this
// close nothing.
constexpr std::size_t kDeepestBidiEmbedding = 125;

// Pass one: rows of marks and format characters cut to kMostAttachedInARow. What a row
// opens is closed as before: a closing bidi character past the cut is dropped when it
// closes one dropped, kept when it closes one kept or one from before the row.
// Also tells whether a user-perceived character may be longer than
// kMostCodePointsInACharacter: only where as many code points in a row are not ASCII
// (ASCII only starts one, or ends a line).
bool boundRows(const std::string& text, PassBuilder& pass) {
    std::size_t row = 0, nonAscii = 0;
    std::size_t keptOpen = 0, droppedOpen = 0, closedBefore = 0;  // of this row's bidi characters
    bool mayHoldLongCharacters = false;
    const char* const start = text.data();
    const char* const end = start + text.size();
    for (const char* p = start; p < end;) {
        const char* next = g_utf8_next_char(p);
        const bool ascii = static_cast<unsigned char>(*p) < 0x80;
        const gunichar c = ascii ? static_cast<gunichar>(*p) : g_utf8_get_char(p);
        if (ascii || !attaches(c)) {
            row = keptOpen = droppedOpen = closedBefore = 0;
            nonAscii = ascii ? 0 : nonAscii + 1;
            if (nonAscii > kMostCodePointsInACharacter) mayHoldLongCharacters = true;
            p = next;
            continue;
        }
        const DirectionControl role = directionControl(c);
        bool keep = ++row <= kMostAttachedInARow;
        if (!keep && role == DirectionControl::closes) {
            if (droppedOpen > 0) --droppedOpen;
            else keep = keptOpen > 0 || closedBefore < kDeepestBidiEmbedding;
        }
        if (keep && role == DirectionControl::opens) ++keptOpen;
        if (keep && role == DirectionControl::closes) {
            if (keptOpen > 0) --keptOpen;
            else ++closedBefore;
        }
        if (!keep && role == DirectionControl::opens) ++droppedOpen;
        if (keep) {
            if (++nonAscii > kMostCodePointsInACharacter) mayHoldLongCharacters = true;
        } else {
            pass.drop(static_cast<std::size_t>(p - start), static_cast<std::size_t>(next - start));
        }
        p = next;
    }
    return mayHoldLongCharacters;
}

// Pass two: a zero-width space put in before the next code point that does not attach,
// once a user-perceived character holds kMostCodePointsInACharacter code points.
void boundCharacters(const std::string& text, PassBuilder& pass) {
    if (text.size() > static_cast<std::size_t>(INT_MAX)) return;
    const auto count = static_cast<std::size_t>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
    std::vector<PangoLogAttr> attributes(count + 1);
    pango_get_log_attrs(text.data(), static_cast<int>(text.size()), -1, pango_language_get_default(),
                        attributes.data(), static_cast<int>(attributes.size()));
    std::size_t inCharacter = 0;
    const char* p = text.data();
    for (std::size_t i = 0; i < count; ++i, p = g_utf8_next_char(p)) {
        if (attributes[i].is_cursor_position) {
            inCharacter = 0;
        } else if (inCharacter >= kMostCodePointsInACharacter && !attaches(g_utf8_get_char(p))) {
            pass.insert(static_cast<std::size_t>(p - text.data()), kZeroWidthSpace);
            inCharacter = 0;
        }
        ++inCharacter;
    }
}

std::size_t through(const std::vector<BoundedText::Span>& spans, std::size_t size, std::size_t source) {
    auto after = std::upper_bound(spans.begin(), spans.end(), source,
                                  [](std::size_t at, const BoundedText::Span& span) { return at < span.source; });
    if (after == spans.begin()) return after == spans.end() ? std::min(source, size) : after->bounded;
    const BoundedText::Span& span = *(after - 1);
    if (source <= span.source + span.length) return span.bounded + (source - span.source);
    return after == spans.end() ? size : after->bounded;
}

}  // namespace

BoundedText::BoundedText(std::string utf8) : utf8_(std::move(utf8)) {
    auto run = [this](auto&& body) {
        PassBuilder builder(utf8_);
        const auto result = body(builder);
        if (builder.changed()) {
            Pass pass;
            utf8_ = builder.finish(pass.spans, pass.size);
            passes_.push_back(std::move(pass));
        }
        return result;
    };
    const bool mayHoldLongCharacters = run([this](PassBuilder& pass) { return boundRows(utf8_, pass); });
    if (mayHoldLongCharacters) run([this](PassBuilder& pass) {
        boundCharacters(utf8_, pass);
        return true;
    });
}

std::size_t BoundedText::offset(std::size_t source) const {
    for (const Pass& pass : passes_) source = through(pass.spans, pass.size, source);
    return std::min(source, utf8_.size());
}

}  // namespace platform::graphics
