#include "platform/foundation/json_reader.hpp"

#include <simdjson.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/foundation/numbers.hpp"

namespace platform::json {

namespace {

namespace dom = simdjson::dom;

// A parser keeps its buffers between documents. They take about fifteen times the
// capacity, so one that grew past this is dropped after use: a large document does
// not pin its memory for the thread's life.
constexpr std::size_t keptParserCapacity = std::size_t(1) << 20;

dom::parser& threadParser(std::unique_ptr<dom::parser>& holder) {
    if (!holder) holder = std::make_unique<dom::parser>();
    return *holder;
}

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

// An object's member, before it is converted.
struct Member {
    std::string_view key;
    dom::element value;
};

// Members in key order, stably, so that of equal keys the last one still wins: the
// dictionary then takes its entries as they come instead of sorting them again.
void sortByKey(std::vector<Member>& members) {
    auto byKey = [](const Member& a, const Member& b) { return a.key < b.key; };
    if (members.size() > 16) {
        std::stable_sort(members.begin(), members.end(), byKey);
        return;
    }
    for (std::size_t i = 1; i < members.size(); ++i) {
        Member moving = members[i];
        std::size_t j = i;
        for (; j > 0 && byKey(moving, members[j - 1]); --j) members[j] = members[j - 1];
        members[j] = moving;
    }
}

// One array or object being built. Iterative, so the depth of the document never
// reaches the machine stack.
struct Frame {
    bool object = false;
    std::string_view key;  // where the finished container goes in an object parent
    dom::array::iterator elements, elementsEnd;
    std::size_t nextMember = 0;  // objects: position in their depth's member list
    Array items;
    std::vector<Dictionary::Entry> entries;

    Value finish() {
        return object ? Value(Dictionary(std::move(entries))) : Value(std::move(items));
    }
    void add(std::string_view childKey, Value child) {
        if (object) entries.emplace_back(std::string(childKey), std::move(child));
        else items.push_back(std::move(child));
    }
};

std::optional<Value> convert(dom::element root, ReadError* error) {
    if (!isContainer(root)) return scalar(root);
    std::vector<Frame> stack;
    // The sorted members of the open object at each depth; siblings reuse the list.
    std::vector<std::vector<Member>> membersByDepth;
    auto open = [&](dom::element e, std::string_view key) {
        Frame f;
        f.key = key;
        if (e.type() == dom::element_type::OBJECT) {
            f.object = true;
            if (membersByDepth.size() <= stack.size()) membersByDepth.resize(stack.size() + 1);
            std::vector<Member>& members = membersByDepth[stack.size()];
            members.clear();
            dom::object o = e.get_object().value_unsafe();
            for (auto it = o.begin(); it != o.end(); ++it) members.push_back({it.key(), it.value()});
            sortByKey(members);
            f.entries.reserve(members.size());
        } else {
            dom::array a = e.get_array().value_unsafe();
            f.elements = a.begin();
            f.elementsEnd = a.end();
            f.items.reserve(a.size());
        }
        stack.push_back(std::move(f));
    };
    open(root, std::string_view());
    while (true) {
        Frame& f = stack.back();
        std::optional<dom::element> next;
        std::string_view key;
        if (f.object) {
            const std::vector<Member>& members = membersByDepth[stack.size() - 1];
            if (f.nextMember < members.size()) {
                key = members[f.nextMember].key;
                next = members[f.nextMember].value;
                ++f.nextMember;
            }
        } else if (f.elements != f.elementsEnd) {
            next = *f.elements;
            ++f.elements;
        }
        if (!next) {
            Value done = f.finish();
            std::string_view doneKey = f.key;
            stack.pop_back();
            if (stack.empty()) return done;
            stack.back().add(doneKey, std::move(done));
        } else if (isContainer(*next)) {
            if (stack.size() >= maxDepth) {
                fail(error, ReadErrorCode::tooDeep);
                return std::nullopt;
            }
            open(*next, key);
        } else {
            f.add(key, scalar(*next));
        }
    }
}

std::optional<Value> parse(dom::parser& parser, std::string_view text, ReadingOptions options,
                           ReadError* error, bool widened) {
    auto result = parser.parse(text.data(), text.size(), true);
    if (result.error() == simdjson::NUMBER_ERROR && !widened) {
        if (auto wide = widenLargeIntegers(text)) return parse(parser, *wide, options, error, true);
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
    return convert(root, error);
}

}  // namespace

std::optional<Value> read(std::string_view text, ReadingOptions options, ReadError* error) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    thread_local std::unique_ptr<dom::parser> holder;
    dom::parser& parser = threadParser(holder);
    std::optional<Value> value = parse(parser, text, options, error, false);
    if (parser.capacity() > keptParserCapacity) holder.reset();
    return value;
}

}  // namespace platform::json
