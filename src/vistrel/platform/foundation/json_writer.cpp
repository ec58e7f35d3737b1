#include "vistrel/platform/foundation/json_writer.hpp"

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <vector>

#include "vistrel/platform/foundation/json_reader.hpp"

namespace platform::json {

namespace {

bool isContainer(const Value& v) { return v.array() != nullptr || v.dictionary() != nullptr; }

std::size_t childCount(const Value& v) {
    if (const Array* a = v.array()) return a->size();
    if (const Dictionary* d = v.dictionary()) return d->size();
    return 0;
}

void appendDouble(std::string& out, double d) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
    (void)ec;  // 32 characters always hold the shortest form of a double
    out.append(buffer, end);
}

template <typename Integer>
void appendInteger(std::string& out, Integer i) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, i);
    (void)ec;
    out.append(buffer, end);
}

bool scalarIsValid(const Value& v) {
    switch (v.type()) {
    case Value::Type::Null: return true;
    case Value::Type::Number: {
        const Number& n = *v.number();
        return n.kind() != Number::Kind::Double || std::isfinite(n.doubleValue());
    }
    case Value::Type::String: return isValidUtf8(*v.string());
    default: return false;
    }
}

// Walks every value below the top one without recursion; `visit` sees each one with
// its depth in containers and may stop the walk by giving false.
template <typename Visit>
bool walk(const Value& top, Visit visit) {
    std::vector<std::pair<const Value*, std::size_t>> pending{{&top, 0}};
    while (!pending.empty()) {
        auto [v, depth] = pending.back();
        pending.pop_back();
        if (!visit(*v, depth)) return false;
        if (const Array* a = v->array()) {
            for (const Value& child : *a) pending.emplace_back(&child, depth + 1);
        } else if (const Dictionary* d = v->dictionary()) {
            for (const auto& entry : *d) {
                if (!isValidUtf8(entry.first)) return false;
                pending.emplace_back(&entry.second, depth + 1);
            }
        }
    }
    return true;
}

void newline(std::string& out, std::size_t indent) {
    out += '\n';
    out.append(indent * 2, ' ');
}

}  // namespace

bool isValidUtf8(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return simdjson::validate_utf8(text.data(), text.size());
    }
    return true;
}

bool isValidJSONObject(const Value& value, WritingOptions options) {
    if (!isContainer(value) && !contains(options, WritingOptions::fragmentsAllowed)) return false;
    return walk(value, [](const Value& v, std::size_t depth) {
        if (isContainer(v)) return depth < maxDepth;
        return scalarIsValid(v);
    });
}

bool appendQuoted(std::string& out, std::string_view text, WritingOptions options) {
    if (!isValidUtf8(text)) return false;
    bool escapeSlash = !contains(options, WritingOptions::withoutEscapingSlashes);
    out.reserve(out.size() + text.size() + 2);
    out += '"';
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        const char* escape = nullptr;
        switch (c) {
        case '"': escape = "\\\""; break;
        case '\\': escape = "\\\\"; break;
        case '/': escape = escapeSlash ? "\\/" : nullptr; break;
        case '\b': escape = "\\b"; break;
        case '\f': escape = "\\f"; break;
        case '\n': escape = "\\n"; break;
        case '\r': escape = "\\r"; break;
        case '\t': escape = "\\t"; break;
        default: break;
        }
        if (!escape && c >= 0x20) continue;
        out.append(text.substr(run, i - run));
        run = i + 1;
        if (escape) {
            out += escape;
        } else {
            static constexpr char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    out.append(text.substr(run));
    out += '"';
    return true;
}

bool appendNumber(std::string& out, const Number& number) {
    if (number.isBool()) {
        out += number.intValue() != 0 ? "true" : "false";
        return true;
    }
    switch (number.kind()) {
    case Number::Kind::Int: appendInteger(out, number.intValue()); return true;
    case Number::Kind::UInt: appendInteger(out, number.uintValue()); return true;
    case Number::Kind::Double:
        if (!std::isfinite(number.doubleValue())) return false;
        appendDouble(out, number.doubleValue());
        return true;
    }
    return false;
}

std::string numberText(const Number& number) {
    std::string out;
    if (number.isBool()) return number.intValue() != 0 ? "1" : "0";
    if (number.kind() == Number::Kind::Double && !std::isfinite(number.doubleValue())) {
        double d = number.doubleValue();
        return std::isnan(d) ? "nan" : d > 0 ? "inf" : "-inf";
    }
    appendNumber(out, number);
    return out;
}

std::optional<std::string> write(const Value& value, WritingOptions options) {
    if (!isContainer(value) && !contains(options, WritingOptions::fragmentsAllowed))
        return std::nullopt;
    const bool pretty = contains(options, WritingOptions::prettyPrinted);
    std::string out;

    // Appends a scalar, or opens a container and gives it a frame.
    struct Frame {
        const Value* container;
        std::size_t next;
    };
    std::vector<Frame> stack;
    auto put = [&](const Value& v) {
        switch (v.type()) {
        case Value::Type::Null: out += "null"; return true;
        case Value::Type::Number: return appendNumber(out, *v.number());
        case Value::Type::String: return appendQuoted(out, *v.string(), options);
        case Value::Type::Array:
        case Value::Type::Dictionary:
            if (stack.size() >= maxDepth) return false;
            out += v.array() ? '[' : '{';
            stack.push_back({&v, 0});
            return true;
        case Value::Type::Opaque:
        case Value::Type::Data:
        case Value::Type::Date: return false;
        }
        return false;
    };

    if (!put(value)) return std::nullopt;
    while (!stack.empty()) {
        Frame& f = stack.back();
        const Value& c = *f.container;
        std::size_t count = childCount(c);
        if (f.next == count) {
            if (pretty && count > 0) newline(out, stack.size() - 1);
            out += c.array() ? ']' : '}';
            stack.pop_back();
            continue;
        }
        std::size_t i = f.next++;
        if (i > 0) out += ',';
        if (pretty) newline(out, stack.size());
        if (const Array* a = c.array()) {
            if (!put((*a)[i])) return std::nullopt;
        } else {
            const Dictionary::Entry& e = c.dictionary()->entries()[i];
            if (!appendQuoted(out, e.first, options)) return std::nullopt;
            out += pretty ? " : " : ":";
            if (!put(e.second)) return std::nullopt;
        }
    }
    return out;
}

}  // namespace platform::json
