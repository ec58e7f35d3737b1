// The XML form, read with expat: a streaming parser, so nesting costs this reader a frame
// of its own per level (bounded) and never the stack. No entity is declared by a property
// list; a declaration is refused before anything could expand it, and no external entity
// or DTD is ever loaded.
#include <expat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "vistrel/platform/foundation/base64.hpp"
#include "vistrel/platform/foundation/numbers.hpp"
#include "vistrel/platform/foundation/property_list_parts.hpp"

namespace platform::plist {

namespace {

using Refusal = PropertyListRefusal;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? char(x - 'A' + 'a') : x) == y;
           });
}

// A value, or why there is none.
struct Leaf {
    std::optional<Value> value;
    Refusal refusal = Refusal::notAPropertyList;
};

// Decimal, or hexadecimal after "0x", with an optional sign: 64 bits signed, or unsigned
// past the signed ones.
Leaf integer(std::string_view text) {
    text = trimmedXmlSpace(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) base = 16, text.remove_prefix(2);
    if (text.empty()) return {};
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') digit = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = unsigned(c - 'A' + 10);
        else return {};
        overflow = overflow || __builtin_mul_overflow(magnitude, base, &magnitude) ||
                   __builtin_add_overflow(magnitude, digit, &magnitude);
    }
    const std::uint64_t mostNegative = std::uint64_t(1) << 63;
    if (overflow || (negative && magnitude > mostNegative)) return {std::nullopt, Refusal::unrepresentable};
    if (negative) return {Value(Number::fromInt(magnitude == mostNegative ? INT64_MIN : -std::int64_t(magnitude)))};
    if (magnitude > std::uint64_t(INT64_MAX)) return {Value(Number::fromUInt(magnitude))};
    return {Value(Number::fromInt(std::int64_t(magnitude)))};
}

// A decimal number (one too large for a double is the infinity it rounds to), or "nan"
// and the infinities as the form spells them, with or without a sign ("-nan" is what C's
// printf writes of a negative one).
Leaf real(std::string_view text) {
    text = trimmedXmlSpace(text);
    const bool negative = !text.empty() && text.front() == '-';
    std::string_view unsigned_ = text;
    if (!unsigned_.empty() && (unsigned_.front() == '-' || unsigned_.front() == '+')) unsigned_.remove_prefix(1);
    if (equalsIgnoringCase(unsigned_, "nan"))
        return {Value(Number::fromDouble(std::copysign(std::numeric_limits<double>::quiet_NaN(), negative ? -1.0 : 1.0)))};
    const double infinity = negative ? -HUGE_VAL : HUGE_VAL;
    if (equalsIgnoringCase(unsigned_, "inf") || equalsIgnoringCase(unsigned_, "infinity"))
        return {Value(Number::fromDouble(infinity))};
    if (text.empty() || numbers::scanDecimal(text).length != text.size()) return {};
    return {Value(Number::fromDouble(numbers::parseDouble(text).value_or(infinity)))};
}

class XmlReader {
public:
    explicit XmlReader(std::string_view bytes) : bytes_(bytes) {}

    PropertyListRead read() {
        XML_Parser parser = XML_ParserCreate(nullptr);
        if (!parser) return refused(Refusal::pastBounds);
        parser_ = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &XmlReader::started, &XmlReader::ended);
        XML_SetCharacterDataHandler(parser, &XmlReader::characters);
        XML_SetEntityDeclHandler(parser, &XmlReader::entityDeclared);
        XML_SetSkippedEntityHandler(parser, &XmlReader::entitySkipped);
        XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
        // In pieces: the parser takes an int's worth at a time, and a refusal early in a
        // long file stops it there.
        constexpr std::size_t kPiece = 1 << 20;
        bool parsed = true;
        for (std::size_t at = 0; parsed && !refusal_;) {
            const std::size_t length = std::min(kPiece, bytes_.size() - at);
            const bool last = at + length == bytes_.size();
            parsed = XML_Parse(parser, bytes_.data() + at, int(length), last) == XML_STATUS_OK;
            at += length;
            if (last) break;
        }
        const XML_Error error = XML_GetErrorCode(parser);
        XML_ParserFree(parser);
        if (refusal_) return refused(*refusal_);
        // An encoding the parser does not know may well hold a property list.
        if (!parsed) return refused(error == XML_ERROR_UNKNOWN_ENCODING ? Refusal::unrepresentable : Refusal::notAPropertyList);
        if (!top_) return refused(Refusal::notAPropertyList);
        return {std::move(top_), std::nullopt};
    }

private:
    enum class Kind { plist, array, dict, key, string, integer, real, date, data, yes, no, unknown };

    static Kind kindOf(const XML_Char* name) {
        static constexpr std::pair<std::string_view, Kind> kNames[] = {
            {"plist", Kind::plist},   {"array", Kind::array}, {"dict", Kind::dict},       {"key", Kind::key},
            {"string", Kind::string}, {"integer", Kind::integer}, {"real", Kind::real}, {"date", Kind::date},
            {"data", Kind::data},     {"true", Kind::yes},    {"false", Kind::no},
        };
        for (const auto& [text, kind] : kNames)
            if (text == name) return kind;
        return Kind::unknown;
    }

    // An element open around the one being read: the plist element or a container.
    struct Frame {
        Kind kind;
        Array items;
        std::vector<Dictionary::Entry> entries;
        std::optional<std::string> key;  // of the entry whose value comes next
        std::optional<Value> value;      // of the plist element
    };

    void refuse(Refusal why) {
        if (!refusal_) refusal_ = why;
        XML_StopParser(parser_, XML_FALSE);
    }

    // The containers open: the depth of a value that starts now.
    std::size_t depth() const { return frames_.size() - (frames_.empty() || frames_.front().kind != Kind::plist ? 0 : 1); }

    // Once refused, what the parser still reports (it may end an element it started) is
    // passed over.
    void start(const XML_Char* name) {
        if (refusal_) return;
        const Kind kind = kindOf(name);
        if (leaf_ || kind == Kind::unknown) return refuse(Refusal::notAPropertyList);
        if (kind == Kind::plist) {
            if (!frames_.empty() || done_) return refuse(Refusal::notAPropertyList);
            frames_.push_back({kind, {}, {}, {}, {}});
            return;
        }
        // A value; a key only where a dictionary's next key belongs.
        if (done_ || (frames_.empty() && kind == Kind::key)) return refuse(Refusal::notAPropertyList);
        if (!frames_.empty()) {
            const Frame& parent = frames_.back();
            const bool keyDue = parent.kind == Kind::dict && !parent.key;
            if ((kind == Kind::key) != keyDue || (parent.kind == Kind::plist && parent.value))
                return refuse(Refusal::notAPropertyList);
        }
        if (kind != Kind::key && depth() > std::size_t(kMaxDepth)) return refuse(Refusal::pastBounds);
        if (kind == Kind::array || kind == Kind::dict) {
            frames_.push_back({kind, {}, {}, {}, {}});
            return;
        }
        leaf_ = kind;
        text_.clear();
    }

    void end() {
        if (refusal_) return;
        if (leaf_) {
            const Kind kind = *leaf_;
            leaf_.reset();
            if (kind == Kind::key) {
                frames_.back().key = std::move(text_);
                text_.clear();
                return;
            }
            Leaf value = leafValue(kind);
            if (!value.value) return refuse(value.refusal);
            return give(std::move(*value.value));
        }
        Frame frame = std::move(frames_.back());
        frames_.pop_back();
        switch (frame.kind) {
        case Kind::plist:
            if (!frame.value) return refuse(Refusal::notAPropertyList);
            top_ = std::move(frame.value);
            done_ = true;
            return;
        case Kind::array: return give(Value(std::move(frame.items)));
        default: {
            if (frame.key) return refuse(Refusal::notAPropertyList);  // a key without its value
            std::optional<Dictionary> dictionary = dictionaryOfUniqueKeys(std::move(frame.entries));
            if (!dictionary) return refuse(Refusal::unrepresentable);
            return give(Value(std::move(*dictionary)));
        }
        }
    }

    // Hands a finished value to the element around it, or makes it the top value.
    void give(Value value) {
        if (frames_.empty()) {
            top_ = std::move(value);
            done_ = true;
            return;
        }
        Frame& parent = frames_.back();
        if (parent.kind == Kind::plist) parent.value = std::move(value);
        else if (parent.kind == Kind::array) parent.items.push_back(std::move(value));
        else parent.entries.emplace_back(std::move(*std::exchange(parent.key, std::nullopt)), std::move(value));
    }

    Leaf leafValue(Kind kind) {
        switch (kind) {
        case Kind::string: return {Value(std::move(text_))};
        case Kind::integer: return integer(text_);
        case Kind::real: return real(text_);
        case Kind::date: {
            const DateTextRead date = dateOfIsoText(text_);
            if (!date.date) return {std::nullopt, *date.refusal};
            return {Value(*date.date)};
        }
        case Kind::data: {
            std::optional<Bytes> bytes = bytesOfBase64(text_);
            if (!bytes) return {};
            return {Value(std::move(*bytes))};
        }
        case Kind::yes:
        case Kind::no:
            if (!trimmedXmlSpace(text_).empty()) return {};
            return {Value(Number::fromBool(kind == Kind::yes))};
        default: return {};
        }
    }

    void text(std::string_view piece) {
        if (refusal_) return;
        if (leaf_) {
            text_ += piece;
            return;
        }
        // Between elements only white space.
        if (!trimmedXmlSpace(piece).empty()) refuse(Refusal::notAPropertyList);
    }

    static void started(void* reader, const XML_Char* name, const XML_Char**) { static_cast<XmlReader*>(reader)->start(name); }
    static void ended(void* reader, const XML_Char*) { static_cast<XmlReader*>(reader)->end(); }
    static void characters(void* reader, const XML_Char* text, int length) {
        static_cast<XmlReader*>(reader)->text(std::string_view(text, std::size_t(length)));
    }
    // An entity declared, or used without a declaration this reader read: a property
    // list has none, and none is expanded.
    static void entityDeclared(void* reader, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                               const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<XmlReader*>(reader)->refuse(Refusal::unrepresentable);
    }
    static void entitySkipped(void* reader, const XML_Char*, int) {
        static_cast<XmlReader*>(reader)->refuse(Refusal::unrepresentable);
    }

    std::string_view bytes_;
    XML_Parser parser_ = nullptr;
    std::vector<Frame> frames_;
    std::optional<Kind> leaf_;  // the leaf element being read
    std::string text_;          // and its text so far
    std::optional<Value> top_;
    bool done_ = false;         // the top value is read: nothing may follow
    std::optional<Refusal> refusal_;
};

}  // namespace

PropertyListRead readXml(std::string_view bytes) { return XmlReader(bytes).read(); }

}  // namespace platform::plist
