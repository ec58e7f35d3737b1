#include "vistrel/core/json/json_url.hpp"

namespace vistrel::json_url {

namespace {

bool isAlphaNumeric(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isQueryAllowed(char c) {
    if (isAlphaNumeric(c)) return true;
    switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+':
    case ',': case '-': case '.': case '/': case ':': case ';': case '=': case '?':
    case '@': case '_': case '~':
        return true;
    default:
        return false;
    }
}

namespace {

// Characters an address may hold outside percent escapes.
bool isAddressCharacter(char c) { return isQueryAllowed(c) || c == '#' || c == '[' || c == ']'; }

bool isEscapeAt(std::string_view text, std::size_t i) {
    return text[i] == '%' && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2]);
}

bool hasPercentEscape(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isEscapeAt(text, i)) return true;
    }
    return false;
}

}  // namespace

bool isWellFormedAddress(std::string_view text) {
    if (text.empty()) return false;
    bool fragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
            i += 2;
        } else if (c == '#') {
            if (fragment) return false;
            fragment = true;
        } else if (!isAddressCharacter(c)) {
            return false;
        }
    }
    return true;
}

std::string percentEncode(std::string_view text, std::string_view alsoAllowed, bool keepEscapes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (isQueryAllowed(c) || alsoAllowed.find(c) != std::string_view::npos || (keepEscapes && isEscapeAt(text, i))) {
            out += c;
        } else {
            auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

std::optional<std::string> addressFromText(std::string_view text) {
    std::string address = hasPercentEscape(text) ? std::string(text) : percentEncode(text);
    if (!isWellFormedAddress(address)) return std::nullopt;
    return address;
}

}  // namespace vistrel::json_url
