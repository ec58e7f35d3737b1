#include "vistrel/platform/net/url_request.hpp"

#include <algorithm>

namespace platform::net {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool headerNamesEqual(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lower(x) == lower(y); });
}

bool isValidHeaderName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 127 && c != ':'; });
}

bool isValidHeaderValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void URLRequest::addValue(std::string_view value, std::string_view field) {
    for (auto& [name, existing] : headers_) {
        if (!headerNamesEqual(name, field)) continue;
        existing += ", ";
        existing += value;
        return;
    }
    headers_.emplace_back(field, value);
}

void URLRequest::setValue(std::string_view value, std::string_view field) {
    for (auto& [name, existing] : headers_) {
        if (headerNamesEqual(name, field)) {
            existing = value;
            return;
        }
    }
    headers_.emplace_back(field, value);
}

std::optional<std::string> URLRequest::valueForHTTPHeaderField(std::string_view field) const {
    for (const auto& [name, value] : headers_)
        if (headerNamesEqual(name, field)) return value;
    return std::nullopt;
}

}  // namespace platform::net
