#include "vistrel/presentation/action_address.hpp"

#include "vistrel/core/json/json_url.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/unicode_text.hpp"

namespace vistrel::action_address {

namespace {

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

std::string withHttp(std::string_view text) {
    std::string address = "http://";
    address.append(text);
    return address;
}

}  // namespace

bool hasScheme(std::string_view address) {
    if (address.empty() || !isAsciiLetter(address[0])) return false;
    for (std::size_t i = 1; i < address.size(); ++i) {
        char c = address[i];
        if (c == ':') return true;
        if (!isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
    }
    return false;
}

std::optional<std::string> webAddress(std::string_view text) {
    std::string_view trimmed = platform::graphics::trimmingWhitespaceAndNewlines(text);
    if (trimmed.empty()) return std::nullopt;
    std::string encoded = json_url::percentEncode(trimmed, "#", true);
    platform::log(encoded);
    if (!json_url::isWellFormedAddress(encoded)) return std::nullopt;
    std::string line = "url :: ";
    platform::log(line.append(encoded));
    if (hasScheme(encoded)) return encoded;
    return withHttp(encoded);
}

std::optional<std::string> shareAddress(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string address = text.starts_with("www") ? withHttp(text) : std::string(text);
    if (!json_url::isWellFormedAddress(address)) return std::nullopt;
    if (!startsWithIgnoringCase(address, "http://") && !startsWithIgnoringCase(address, "https://"))
        return std::nullopt;
    return address;
}

}  // namespace vistrel::action_address
