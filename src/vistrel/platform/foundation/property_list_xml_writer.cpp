// Writes the XML form, one element a line, indented by tabs. Only what reads back as the
// value written is written: a text XML 1.0 cannot hold refuses the whole value.
#include <charconv>
#include <cmath>

#include "vistrel/platform/foundation/base64.hpp"
#include "vistrel/platform/foundation/property_list_parts.hpp"
#include "vistrel/platform/foundation/utf_encodings.hpp"

namespace platform::plist {

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

// Base64 characters a line of data holds.
constexpr std::size_t kDataLine = 68;

// The characters XML 1.0 holds.
bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           c >= 0x10000;
}

class XmlWriter {
public:
    std::optional<std::string> write(const Value& top) {
        out_ = kHeader;
        if (!value(top, 0)) return std::nullopt;
        out_ += "</plist>\n";
        return std::move(out_);
    }

private:
    void indent(int depth) { out_.append(std::size_t(depth), '\t'); }

    // <name>text</name> on a line of its own.
    void element(int depth, std::string_view name, std::string_view text) {
        indent(depth);
        out_.append("<").append(name).append(">").append(text).append("</").append(name).append(">\n");
    }

    // The text escaped: markup characters, and a carriage return, which a reader would
    // otherwise take for a line break and turn into a line feed.
    bool escaped(int depth, std::string_view name, std::string_view text) {
        indent(depth);
        out_.append("<").append(name).append(">");
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t from = at;
            const std::optional<char32_t> c = nextUtf8(text, at);
            if (!c || !isXmlCharacter(*c)) return false;
            switch (*c) {
            case '&': out_ += "&amp;"; break;
            case '<': out_ += "&lt;"; break;
            case '>': out_ += "&gt;"; break;
            case '\r': out_ += "&#13;"; break;
            default: out_.append(text.substr(from, at - from));
            }
        }
        out_.append("</").append(name).append(">\n");
        return true;
    }

    void number(int depth, const Number& n) {
        if (n.isBool()) {
            indent(depth);
            out_ += n.asBool() ? "<true/>\n" : "<false/>\n";
            return;
        }
        switch (n.kind()) {
        case Number::Kind::Int: return element(depth, "integer", std::to_string(n.intValue()));
        case Number::Kind::UInt: return element(depth, "integer", std::to_string(n.uintValue()));
        case Number::Kind::Double: break;
        }
        const double d = n.doubleValue();
        if (std::isnan(d)) return element(depth, "real", std::signbit(d) ? "-nan" : "nan");
        if (std::isinf(d)) return element(depth, "real", d > 0 ? "+infinity" : "-infinity");
        // The shortest text that reads back as the same double, whatever the locale.
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, d);
        element(depth, "real", std::string_view(text, std::size_t(written.ptr - text)));
    }

    // <name/>, or <name> and its items a level deeper, each written by `item`.
    template <typename Items, typename Item>
    bool container(int depth, std::string_view name, const Items& items, Item item) {
        indent(depth);
        if (items.begin() == items.end()) {
            out_.append("<").append(name).append("/>\n");
            return true;
        }
        out_.append("<").append(name).append(">\n");
        for (const auto& each : items)
            if (!item(each)) return false;
        indent(depth);
        out_.append("</").append(name).append(">\n");
        return true;
    }

    bool value(const Value& v, int depth) {
        if (depth > kMaxDepth) return false;
        switch (v.type()) {
        case Value::Type::Null:
        case Value::Type::Opaque: return false;
        case Value::Type::Number: number(depth, *v.number()); return true;
        case Value::Type::String: return escaped(depth, "string", *v.string());
        case Value::Type::Date: {
            const std::optional<std::string> text = isoDateText(v);
            if (text) element(depth, "date", *text);
            return text.has_value();
        }
        case Value::Type::Data:
            indent(depth);
            out_ += "<data>\n";
            appendBase64Lines(out_, *v.data(), kDataLine, std::string(std::size_t(depth), '\t'));
            indent(depth);
            out_ += "</data>\n";
            return true;
        case Value::Type::Array:
            return container(depth, "array", *v.array(), [&](const Value& item) { return value(item, depth + 1); });
        case Value::Type::Dictionary:
            return container(depth, "dict", *v.dictionary(), [&](const Dictionary::Entry& entry) {
                return depth + 1 <= kMaxDepth && escaped(depth + 1, "key", entry.first) && value(entry.second, depth + 1);
            });
        }
        return false;
    }

    std::string out_;
};

}  // namespace

std::optional<std::string> writeXml(const Value& value) { return XmlWriter().write(value); }

}  // namespace platform::plist
