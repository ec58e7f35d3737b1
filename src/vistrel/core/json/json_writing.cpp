// Text writing: the platform writer for documents, the member-by-member writer, and
// the bare texts of single values.
#include <limits>

#include "vistrel/core/json/json.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

constexpr std::int64_t defaultMaxObjectDepth = 10;

template <typename T>
const T* optionOf(const WritingOptionsMap& options, writingOptionsKeys key) {
    auto it = options.find(key);
    return it == options.end() ? nullptr : std::any_cast<T>(&it->second);
}

std::optional<std::int64_t> depthOption(const WritingOptionsMap& options) {
    if (auto v = optionOf<int>(options, writingOptionsKeys::maxObjextDepth)) return *v;
    if (auto v = optionOf<long>(options, writingOptionsKeys::maxObjextDepth)) return *v;
    if (auto v = optionOf<long long>(options, writingOptionsKeys::maxObjextDepth)) return *v;
    return std::nullopt;
}

std::optional<std::string> decode(std::string bytes, StringEncoding encoding) {
    if (encoding == StringEncoding::ascii) {
        for (unsigned char c : bytes)
            if (c >= 0x80) return std::nullopt;
    } else if (!platform::json::isValidUtf8(bytes)) {
        return std::nullopt;
    }
    return bytes;
}

// Every container and member in document order, joined without spaces but for one
// after each colon. Unlike a plain concatenation it escapes keys and strings fully,
// so what it gives is always JSON; a value it cannot write (NaN or infinity, text
// that is not UTF-8, a value of no JSON kind, a level past the budget) makes the whole result
// absent. Iterative, so no nesting reaches the machine stack.
std::optional<std::string> writeMemberByMember(const platform::Value& top,
                                               std::int64_t maxObjectDepth) {
    using platform::Value;
    const auto noSlashEscapes = platform::json::WritingOptions::withoutEscapingSlashes;
    struct Frame {
        const Value* container;
        std::size_t next;
    };
    std::vector<Frame> stack;
    std::string out;
    auto put = [&](const Value& v, std::size_t level) {
        if (maxObjectDepth - static_cast<std::int64_t>(level) < 0) return false;
        switch (v.type()) {
        case Value::Type::Null: out += "null"; return true;
        case Value::Type::Number: return platform::json::appendNumber(out, *v.number());
        case Value::Type::String: return platform::json::appendQuoted(out, *v.string(), noSlashEscapes);
        case Value::Type::Array:
        case Value::Type::Dictionary:
            if (level >= platform::json::maxDepth) return false;
            out += v.array() ? '[' : '{';
            stack.push_back({&v, 0});
            return true;
        case Value::Type::Opaque:
        case Value::Type::Data:
        case Value::Type::Date: return false;
        }
        return false;
    };
    if (!put(top, 0)) return std::nullopt;
    while (!stack.empty()) {
        Frame& f = stack.back();
        const Value& c = *f.container;
        std::size_t count = c.array() ? c.array()->size() : c.dictionary()->size();
        if (f.next == count) {
            out += c.array() ? ']' : '}';
            stack.pop_back();
            continue;
        }
        std::size_t i = f.next++;
        std::size_t level = stack.size();
        if (i > 0) out += ',';
        if (const platform::Array* a = c.array()) {
            if (!put((*a)[i], level)) return std::nullopt;
        } else {
            const platform::Dictionary::Entry& e = c.dictionary()->entries()[i];
            if (!platform::json::appendQuoted(out, e.first, noSlashEscapes)) return std::nullopt;
            out += ": ";
            if (!put(e.second, level)) return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> JSON::rawData(WritingOptions options,
                                         std::optional<JSONError>* error) const {
    if (!platform::json::isValidJSONObject(object_)) {
        if (error) *error = invalidJSONError();
        return std::nullopt;
    }
    // A valid object always writes; the fragment flag cannot widen what is valid here.
    return platform::json::write(object_, options);
}

std::optional<std::string> JSON::rawStringCore(StringEncoding encoding,
                                               const WritingOptionsMap& options,
                                               std::int64_t maxObjectDepth,
                                               std::optional<JSONError>* thrown) const {
    if (maxObjectDepth < 0) {
        if (thrown) *thrown = elementTooDeepError();
        return std::nullopt;
    }
    switch (type_) {
    case Type::dictionary:
    case Type::array: {
        const bool* castNil = optionOf<bool>(options, writingOptionsKeys::castNilToNSNull);
        std::optional<std::string> bytes;
        if (castNil && *castNil) {
            bytes = writeMemberByMember(object_, maxObjectDepth);
        } else {
            const WritingOptions* writing =
                optionOf<WritingOptions>(options, writingOptionsKeys::jsonSerialization);
            bytes = rawData(writing ? *writing : WritingOptions::prettyPrinted);
        }
        if (!bytes) return std::nullopt;
        return decode(std::move(*bytes), encoding);
    }
    case Type::string: return *object_.string();
    case Type::number: return platform::json::numberText(*object_.number());
    case Type::bool_: return std::string(object_.number()->intValue() != 0 ? "true" : "false");
    case Type::null: return std::string("null");
    case Type::unknown: return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> JSON::rawString(StringEncoding encoding, WritingOptions options) const {
    WritingOptionsMap map{{writingOptionsKeys::jsonSerialization, options}};
    return rawStringCore(encoding, map, defaultMaxObjectDepth, nullptr);
}

std::optional<std::string> JSON::rawString(const WritingOptionsMap& options) const {
    const StringEncoding* encoding = optionOf<StringEncoding>(options, writingOptionsKeys::encoding);
    std::int64_t depth = depthOption(options).value_or(defaultMaxObjectDepth);
    std::optional<JSONError> thrown;
    std::optional<std::string> text =
        rawStringCore(encoding ? *encoding : StringEncoding::utf8, options, depth, &thrown);
    if (thrown) {
        platform::log("Could not serialize object to JSON because: " +
                      thrown->localizedDescription);
        return std::nullopt;
    }
    return text;
}

std::string JSON::description() const {
    return rawString(StringEncoding::utf8, WritingOptions::prettyPrinted).value_or("unknown");
}

}  // namespace vistrel
