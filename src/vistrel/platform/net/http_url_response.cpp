#include "vistrel/platform/net/http_url_response.hpp"

namespace platform::net {

std::optional<std::string> HTTPURLResponse::valueForHTTPHeaderField(std::string_view field) const {
    for (const auto& [name, value] : headerFields)
        if (headerNamesEqual(name, field)) return value;
    return std::nullopt;
}

std::string HTTPURLResponse::description() const {
    std::string text = "<HTTPURLResponse url: ";
    text += url;
    text += " status code: ";
    text += std::to_string(statusCode);
    text += '>';
    return text;
}

}  // namespace platform::net
