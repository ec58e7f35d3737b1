#include "platform/foundation/json_reader.hpp"

#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "platform/foundation/numbers.hpp"

namespace platform::json {

namespace {

namespace dom = simdjson::dom;

void fail(ReadError* error, ReadErrorCode code) {
    if (!error) return;
    error->code = code;
    switch (code) {
    case ReadErrorCode::empty: error->message = "No value in the text."; break;
    case ReadErrorCode::syntax: error->message = "The text is not valid JSON."; break;
    case ReadErrorCode::encoding: error->message = "The text is not valid UTF-8."; break;
    case ReadErrorCode::string:
        error->message =
            "A string holds a bad escape, a lone surrogate or an unescaped control character.";
        break;
    case ReadErrorCode::number:
        error->message = "A number is malformed or beyond the range of a double.";
        break;
    case ReadErrorCode::tooDeep:
        error->message = "Arrays and objects are nested more than 512 levels deep.";
        break;
    case ReadErrorCode::fragment:
        error->message = "The top-level value is neither an array nor an object.";
        break;
    case ReadErrorCode::tooLarge: error->message = "The text is too large to read."; break;
    }
}

ReadErrorCode codeFor(simdjson::error_code e) {
    switch (e) {
    case simdjson::EMPTY: return ReadErrorCode::empty;
    case simdjson::UTF8_ERROR: return ReadErrorCode::encoding;
    case simdjson::STRING_ERROR:
    case simdjson::UNESCAPED_CHARS:
    case simdjson::UNCLOSED_STRING: return ReadErrorCode::string;
    case simdjson::NUMBER_ERROR:
    case simdjson::NUMBER_OUT_OF_RANGE: return ReadErrorCode::number;
    case simdjson::DEPTH_ERROR: return ReadErrorCode::tooDeep;
    case simdjson::CAPACITY:
    case simdjson::MEMALLOC: return ReadErrorCode::tooLarge;
    default: return ReadErrorCode::syntax;
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNumberChar(char c) {
    return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// The parser refuses integers beyond int64 and uint64. Such integers are numbers all
// the same: give each an exponent ("e0") so that it reads as a double. Only whole
// integer tokens outside strings change, and a token that is not JSON stays not JSON,
// so the verdict on everything else is the parser's own. Gives no value when nothing
// needed widening.
std::optional<std::string> widenLargeIntegers(std::string_view text) {
    std::string out;
    bool changed = false;
    std::size_t copied = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (inString) {
            if (c == '\\') i += 2;
            else {
                if (c == '"') inString = false;
                ++i;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
            ++i;
            continue;
        }
        if (!isNumberChar(c)) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < text.size() && isNumberChar(text[i])) ++i;
        std::string_view token = text.substr(start, i - start);
        std::string_view digits = token[0] == '-' ? token.substr(1) : token;
        bool integer = !digits.empty() && digits.size() == token.size() - (token[0] == '-') &&
                       (digits[0] != '0' || digits.size() == 1);
        for (char d : digits) integer = integer && isDigit(d);
        if (!integer) continue;
        bool fits = token[0] == '-' ? numbers::parseInt64(token).has_value()
                                    : numbers::parseUInt64(token).has_value();
        if (fits) continue;
        out.append(text.substr(copied, i - copied));
        out += "e0";
        copied = i;
        changed = true;
    }
    if (!changed) return std::nullopt;
    out.append(text.substr(copied));
    return out;
}

Value scalar(dom::element e) {
    switch (e.type()) {
    case dom::element_type::INT64: return Number::fromInt(e.get_int64().value_unsafe());
    case dom::element_type::UINT64: return Number::fromUInt(e.get_uint64().value_unsafe());
    case dom::element_type::DOUBLE: return Number::fromDouble(e.get_double().value_unsafe());
    case dom::element_type::STRING: return Value(e.get_string().value_unsafe());
    case dom::element_type::BOOL: return Number::fromBool(e.get_bool().value_unsafe());
    default: return Value();
    }
}

bool isContainer(dom::element e) {
    auto t = e.type();
    return t == dom::element_type::ARRAY || t == dom::element_type::OBJECT;
}

// The first eight bytes of a key as a big-endian number, zero-padded. Unequal
// prefixes order their keys as std::string does; only equal ones need the keys.
std::uint64_t keyPrefix(std::string_view key) {
    std::uint64_t prefix = 0;
    if (key.size() >= sizeof prefix) {
        std::memcpy(&prefix, key.data(), sizeof prefix);
        if constexpr (std::endian::native == std::endian::little) prefix = __builtin_bswap64(prefix);
        return prefix;
    }
    for (std::size_t i = 0; i < key.size(); ++i)
        prefix |= std::uint64_t(static_cast<unsigned char>(key[i])) << (56 - 8 * i);
    return prefix;
}

// An object's member, before it is converted.
struct Member {
    std::uint64_t prefix;
    std::string_view key;
    dom::element value;
};

bool keyLess(const Member& a, const Member& b) {
    return a.prefix != b.prefix ? a.prefix < b.prefix : a.key < b.key;
}

bool sameKey(const Member& a, const Member& b) { return a.prefix == b.prefix && a.key == b.key; }

// Sorts members by key, stably, and keeps of equal keys only the last one (in document
// order): the dictionary then takes its entries as they come. Gives how many remain.
std::size_t sortUniqueByKey(Member* members, std::size_t count) {
    auto byKey = [](const Member& a, const Member& b) { return keyLess(a, b); };
    if (count > 16) {
        std::stable_sort(members, members + count, byKey);
    } else {
        for (std::size_t i = 1; i < count; ++i) {
            if (!byKey(members[i], members[i - 1])) continue;
            Member moving = members[i];
            std::size_t j = i;
            for (; j > 0 && byKey(moving, members[j - 1]); --j) members[j] = members[j - 1];
            members[j] = moving;
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (kept > 0 && sameKey(members[kept - 1], members[i])) members[kept - 1] = members[i];
        else members[kept++] = members[i];
    }
    return kept;
}

// One array or object being built. Iterative, so the depth of the document never
// reaches the machine stack.
struct Frame {
    bool object = false;
    std::string_view key;  // where the finished container goes in an object parent
    dom::array::iterator elements, elementsEnd;
    std::size_t firstMember = 0, nextMember = 0, endMember = 0;  // objects: their members
    Array items;
    std::vector<Dictionary::Entry> entries;

    void add(std::string_view childKey, Value child) {
        if (object)
            entries.emplace_back(std::piecewise_construct, std::forward_as_tuple(childKey),
                                 std::forward_as_tuple(std::move(child)));
        else items.push_back(std::move(child));
    }
};

// What one thread keeps between documents: the parser with its buffers, and the
// conversion's work lists, so that reading many small documents (the texts nested in
// an answer) allocates little besides the values themselves.
struct Reader {
    dom::parser parser;
    std::vector<Frame> frames;
    std::vector<Member> members;  // members of every open object, the innermost last
};

// A parser's buffers take about fifteen times its capacity, so one that grew past this
// is dropped after use: a large document does not pin its memory for the thread's life.
constexpr std::size_t keptParserCapacity = std::size_t(1) << 20;
// Nor does an object with very many members pin their list.
constexpr std::size_t keptMemberCapacity = std::size_t(1) << 14;

// Leaves the work lists empty however the conversion ends.
struct WorkListsCleared {
    Reader& reader;
    ~WorkListsCleared() {
        reader.frames.clear();
        reader.members.clear();
    }
};

std::optional<Value> convert(Reader& reader, dom::element root, ReadError* error) {
    if (!isContainer(root)) return scalar(root);
    std::vector<Frame>& frames = reader.frames;
    std::vector<Member>& members = reader.members;
    WorkListsCleared cleared{reader};
    auto open = [&](dom::element e, std::string_view key) {
        Frame& f = frames.emplace_back();
        f.key = key;
        if (e.type() == dom::element_type::OBJECT) {
            f.object = true;
            f.firstMember = members.size();
            dom::object o = e.get_object().value_unsafe();
            for (auto it = o.begin(); it != o.end(); ++it) {
                std::string_view memberKey = it.key();
                members.push_back({keyPrefix(memberKey), memberKey, it.value()});
            }
            std::size_t count =
                sortUniqueByKey(members.data() + f.firstMember, members.size() - f.firstMember);
            members.resize(f.firstMember + count);
            f.nextMember = f.firstMember;
            f.endMember = members.size();
            f.entries.reserve(count);
        } else {
            dom::array a = e.get_array().value_unsafe();
            f.elements = a.begin();
            f.elementsEnd = a.end();
            f.items.reserve(a.size());
        }
    };
    open(root, std::string_view());
    while (true) {
        Frame& f = frames.back();
        dom::element next;
        std::string_view key;
        bool more = false;
        if (f.object) {
            if (f.nextMember < f.endMember) {
                key = members[f.nextMember].key;
                next = members[f.nextMember].value;
                ++f.nextMember;
                more = true;
            }
        } else if (f.elements != f.elementsEnd) {
            next = *f.elements;
            ++f.elements;
            more = true;
        }
        if (!more) {
            Value done = f.object ? Value(Dictionary::fromSortedEntries(std::move(f.entries)))
                                  : Value(std::move(f.items));
            std::string_view doneKey = f.key;
            if (f.object) members.resize(f.firstMember);
            frames.pop_back();
            if (frames.empty()) return done;
            frames.back().add(doneKey, std::move(done));
        } else if (isContainer(next)) {
            if (frames.size() >= maxDepth) {
                fail(error, ReadErrorCode::tooDeep);
                return std::nullopt;
            }
            open(next, key);  // f is not used past this point: open may move the frames
        } else {
            f.add(key, scalar(next));
        }
    }
}

std::optional<Value> parse(Reader& reader, std::string_view text, ReadingOptions options,
                           ReadError* error, bool widened) {
    auto result = reader.parser.parse(text.data(), text.size(), true);
    if (result.error() == simdjson::NUMBER_ERROR && !widened) {
        if (auto wide = widenLargeIntegers(text)) return parse(reader, *wide, options, error, true);
    }
    if (result.error()) {
        fail(error, codeFor(result.error()));
        return std::nullopt;
    }
    dom::element root = result.value_unsafe();
    if (!contains(options, ReadingOptions::allowFragments) && !isContainer(root)) {
        fail(error, ReadErrorCode::fragment);
        return std::nullopt;
    }
    return convert(reader, root, error);
}

}  // namespace

std::optional<Value> read(std::string_view text, ReadingOptions options, ReadError* error) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    thread_local std::unique_ptr<Reader> holder;
    if (!holder) holder = std::make_unique<Reader>();
    std::optional<Value> value = parse(*holder, text, options, error, false);
    if (holder->parser.capacity() > keptParserCapacity) {
        holder.reset();
    } else if (holder->members.capacity() > keptMemberCapacity) {
        holder->members = std::vector<Member>();
    }
    return value;
}

}  // namespace platform::json
