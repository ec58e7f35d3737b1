#include "vistrel/platform/foundation/json_reader.hpp"

#include <simdjson.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "vistrel/platform/foundation/numbers.hpp"

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

// Booleans are numbers flagged as such; integers keep their kind.
std::optional<Number> numberOf(dom::element e) {
    switch (e.type()) {
    case dom::element_type::INT64: return Number::fromInt(e.get_int64().value_unsafe());
    case dom::element_type::UINT64: return Number::fromUInt(e.get_uint64().value_unsafe());
    case dom::element_type::DOUBLE: return Number::fromDouble(e.get_double().value_unsafe());
    case dom::element_type::BOOL: return Number::fromBool(e.get_bool().value_unsafe());
    default: return std::nullopt;
    }
}

Value scalar(dom::element e) {
    if (e.type() == dom::element_type::STRING) return Value(e.get_string().value_unsafe());
    std::optional<Number> number = numberOf(e);
    return number ? Value(*number) : Value();
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

// The document's root as the parser leaves it, with every verdict of read() but the
// one on depth beyond what the parser itself refuses. `refusal` gets the parser's error.
std::optional<dom::element> parseDocument(dom::parser& parser, std::string_view text,
                                          ReadingOptions options, ReadError* error,
                                          simdjson::error_code* refusal = nullptr,
                                          bool widened = false) {
    auto result = parser.parse(text.data(), text.size(), true);
    if (result.error() == simdjson::NUMBER_ERROR && !widened) {
        if (auto wide = widenLargeIntegers(text))
            return parseDocument(parser, *wide, options, error, refusal, true);
    }
    if (refusal) *refusal = result.error();
    if (result.error()) {
        fail(error, codeFor(result.error()));
        return std::nullopt;
    }
    dom::element root = result.value_unsafe();
    if (!contains(options, ReadingOptions::allowFragments) && !isContainer(root)) {
        fail(error, ReadErrorCode::fragment);
        return std::nullopt;
    }
    return root;
}

std::optional<Value> parse(Reader& reader, std::string_view text, ReadingOptions options,
                           ReadError* error) {
    std::optional<dom::element> root = parseDocument(reader.parser, text, options, error);
    if (!root) return std::nullopt;
    return convert(reader, *root, error);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

}  // namespace

std::optional<Value> read(std::string_view text, ReadingOptions options, ReadError* error) {
    text = withoutByteOrderMark(text);
    thread_local std::unique_ptr<Reader> holder;
    if (!holder) holder = std::make_unique<Reader>();
    std::optional<Value> value = parse(*holder, text, options, error);
    if (holder->parser.capacity() > keptParserCapacity) {
        holder.reset();
    } else if (holder->members.capacity() > keptMemberCapacity) {
        holder->members = std::vector<Member>();
    }
    return value;
}

// ---- Views ---------------------------------------------------------------------

// A view is the parser's element, kept as bytes so that the header needs no parser.
static_assert(std::is_trivially_copyable_v<dom::element>);
static_assert(sizeof(dom::element) == sizeof(ValueView::Element));
static_assert(alignof(dom::element) <= alignof(ValueView::Element));

struct ViewAccess {
    static ValueView of(dom::element e) {
        ValueView view;
        std::memcpy(view.element_.bytes, &e, sizeof e);
        view.viewing_ = true;
        return view;
    }
    static dom::element element(const ValueView& view) {
        dom::element e;
        std::memcpy(&e, view.element_.bytes, sizeof e);
        return e;
    }
};

Value::Type ValueView::type() const {
    if (!viewing_) return Value::Type::Null;
    switch (ViewAccess::element(*this).type()) {
    case dom::element_type::ARRAY: return Value::Type::Array;
    case dom::element_type::OBJECT: return Value::Type::Dictionary;
    case dom::element_type::STRING: return Value::Type::String;
    case dom::element_type::INT64:
    case dom::element_type::UINT64:
    case dom::element_type::DOUBLE:
    case dom::element_type::BOOL: return Value::Type::Number;
    case dom::element_type::NULL_VALUE: return Value::Type::Null;
    }
    return Value::Type::Null;
}

std::optional<std::string_view> ValueView::string() const {
    if (!viewing_) return std::nullopt;
    dom::element e = ViewAccess::element(*this);
    if (e.type() != dom::element_type::STRING) return std::nullopt;
    return e.get_string().value_unsafe();
}

std::optional<Number> ValueView::number() const {
    if (!viewing_) return std::nullopt;
    return numberOf(ViewAccess::element(*this));
}

std::optional<ValueView> ValueView::member(std::string_view key) const {
    if (!viewing_) return std::nullopt;
    dom::element e = ViewAccess::element(*this);
    if (e.type() != dom::element_type::OBJECT) return std::nullopt;
    dom::object members = e.get_object().value_unsafe();
    // Of equal keys the last one counts, as in the values read() makes.
    std::optional<ValueView> found;
    for (auto it = members.begin(); it != members.end(); ++it)
        if (it.key_equals(key)) found = ViewAccess::of(it.value());
    return found;
}

std::size_t ValueView::members(ViewMember* out, std::size_t capacity) const {
    if (!viewing_) return 0;
    dom::element e = ViewAccess::element(*this);
    if (e.type() != dom::element_type::OBJECT) return 0;
    dom::object members = e.get_object().value_unsafe();
    std::size_t count = 0;
    for (auto it = members.begin(); it != members.end(); ++it, ++count)
        if (count < capacity) out[count] = ViewMember{it.key(), ViewAccess::of(it.value())};
    return count;
}

std::size_t ValueView::elements(ValueView* out, std::size_t capacity) const {
    if (!viewing_) return 0;
    dom::element e = ViewAccess::element(*this);
    if (e.type() != dom::element_type::ARRAY) return 0;
    dom::array items = e.get_array().value_unsafe();
    std::size_t count = 0;
    for (auto it = items.begin(); it != items.end(); ++it, ++count)
        if (count < capacity) out[count] = ViewAccess::of(*it);
    return count;
}

Value ValueView::value() const {
    if (!viewing_) return Value();
    // The viewed document passed read()'s verdicts, depth included, so this converts.
    Reader reader;
    std::optional<Value> converted = convert(reader, ViewAccess::element(*this), nullptr);
    return converted ? std::move(*converted) : Value();
}

namespace {

// The viewing parser stops one level short of read(): it refuses a container that holds
// something at the deepest level read() allows (an empty one there it takes, as read()
// does). So whatever it takes, read() takes too, and a document it refuses for depth
// gets read()'s own verdict from a full reading.
std::unique_ptr<dom::parser> depthLimitedParser() {
    auto parser = std::make_unique<dom::parser>();
    if (parser->allocate(4096, maxDepth) != simdjson::SUCCESS) return nullptr;
    return parser;
}

}  // namespace

bool readViewWith(std::string_view text, ViewUse use, void* context, ReadingOptions options,
                  ReadError* error) {
    text = withoutByteOrderMark(text);
    // One parser per thread; a view asked for while one is in use gets a parser of its own.
    thread_local std::unique_ptr<dom::parser> threadParser;
    thread_local bool inUse = false;
    std::unique_ptr<dom::parser> ownParser;
    std::unique_ptr<dom::parser>& holder = inUse ? ownParser : threadParser;
    if (!holder || holder->max_depth() != maxDepth) holder = depthLimitedParser();

    bool viewed = false;
    simdjson::error_code refusal = simdjson::SUCCESS;
    std::optional<dom::element> root;
    if (holder && holder->max_depth() == maxDepth)
        root = parseDocument(*holder, text, options, error, &refusal);
    else
        refusal = simdjson::DEPTH_ERROR;  // no limited parser: decide as read() does

    if (root) {
        struct Marked {
            bool& flag;
            bool set;
            ~Marked() {
                if (set) flag = false;
            }
        } marked{inUse, &holder == &threadParser};
        if (marked.set) inUse = true;
        use(context, ViewAccess::of(*root));
        viewed = true;
    } else if (refusal == simdjson::DEPTH_ERROR) {
        // Rare (hostile or absurd nesting): a full reading of its own decides, and its
        // document is the one viewed, untouched by whatever `use` reads meanwhile.
        auto full = std::make_unique<Reader>();
        std::optional<dom::element> fullRoot = parseDocument(full->parser, text, options, error);
        if (fullRoot && convert(*full, *fullRoot, error)) {
            use(context, ViewAccess::of(*fullRoot));
            viewed = true;
        }
    }
    if (threadParser && threadParser->capacity() > keptParserCapacity) threadParser.reset();
    return viewed;
}

}  // namespace platform::json
