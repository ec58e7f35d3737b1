#pragma once
// Where a redirect answer leads, and what of the request goes there. The request's own
// headers and body go on only to the same service (the same origin, or the same host
// upgraded from http to https; see sameService in url.hpp): another origin gets a request
// with none of them, and a redirect that would have to carry the body there (307, 308) is
// not followed. A request whose policy is RedirectPolicy::sameServiceOnly follows no
// redirect to another origin at all. Nothing leaves an https address for a plain http one.
#include <optional>
#include <string_view>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/net/url_request.hpp"

namespace platform::net {

struct Redirect {
    std::optional<URLRequest> next;  // the request to send now
    std::optional<Error> error;      // why the exchange ends here
};                                   // neither: the answer stands as it came

// The step after an answer with `statusCode` to `request`, whose Location (made absolute
// against the request's address) is `target`, empty when it has none. 301, 302, 303, 307
// and 308 are followed (no other status, 300 and 305 included); 303, and 301 or 302 after
// a POST, go on as a GET without a body (and without the headers that described it).
Redirect redirectFor(const URLRequest& request, long statusCode, std::string_view target);

}  // namespace platform::net
