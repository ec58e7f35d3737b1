#pragma once
// The HTTP answer to a request: the final URL (after redirects), the status and the
// headers of the final answer in the order they came.
#include <optional>
#include <string>
#include <string_view>

#include "vistrel/platform/net/url_request.hpp"

namespace platform::net {

struct HTTPURLResponse {
    std::string url;
    long statusCode = 0;
    HeaderFields headerFields;

    // The first header of that name (any case).
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    // "<HTTPURLResponse url: ... status code: ...>", for log lines.
    std::string description() const;
};

}  // namespace platform::net
