#pragma once
// Checking and composing the http and https addresses requests go to.
#include <optional>
#include <string>
#include <string_view>

namespace platform::net {

// The address unchanged when it parses as an absolute http or https URL with a host;
// none otherwise (other schemes, spaces, control characters).
std::optional<std::string> validatedHTTPURL(std::string_view text);

// The scheme of an http or https address in lower case; none when it does not parse.
std::optional<std::string> schemeOf(std::string_view url);

// Whether two http or https addresses share their origin: scheme, host (in any case) and
// port (the scheme's own when none is written). False when either does not parse.
bool sameOrigin(std::string_view a, std::string_view b);

// Whether `to` is the same service as `from`: the same origin, or the same host moved from
// http to https on the same port or from http's own port (80) to https's own (443).
// False when either does not parse.
bool sameService(std::string_view from, std::string_view to);

// The address with `item` (already percent-encoded) added to its query: after "?" when
// it has none, after "&" when it has one; a fragment stays at the end. None when the
// address does not parse as above.
std::optional<std::string> appendingQueryItem(std::string_view url, std::string_view item);

// The text percent-encoded for a query value: the characters a query allows stay, except
// "&", "=", "+" and "#", which would end or change the value; every other byte becomes %XX.
std::string percentEncodedQueryValue(std::string_view text);

}  // namespace platform::net
