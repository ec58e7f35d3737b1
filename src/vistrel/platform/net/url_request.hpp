#pragma once
// A request for a URL: method, headers, body, how long the transfer may sit idle and take
// in all, and how large an answer it takes.
// Headers keep the order they were first added in; names compare without regard to case.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::net {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// Which redirects the session follows for a request.
enum class RedirectPolicy {
    // Any redirect to an http or https address (never from https down to plain http); the
    // request's headers and body go on only to the same service.
    anywhere,
    // Only those that stay with the same service (see sameService in url.hpp): the answer
    // of one that leads elsewhere stands as it came, so a request that carries credentials
    // never takes another host's answer for its service's.
    sameServiceOnly,
};

struct URLRequest {
    // Time the transfer may go without progress (looking up the host's name and connecting
    // included) before it fails.
    static constexpr std::chrono::milliseconds defaultTimeoutInterval{60000};

    explicit URLRequest(std::string url = {}, std::chrono::milliseconds timeout = defaultTimeoutInterval)
        : url(std::move(url)), timeoutInterval(timeout) {}

    std::string url;
    std::string httpMethod = "GET";
    std::optional<std::string> httpBody;
    std::chrono::milliseconds timeoutInterval;
    // The longest the whole exchange (connecting, redirects and answer) may take, however
    // steadily bytes come, before it fails as a time-out does (0: no such limit).
    std::chrono::milliseconds totalTimeoutInterval{0};
    // The most body bytes the answer may bring (0: no cap); a longer body ends the
    // transfer with an error and is dropped.
    std::size_t maxResponseBytes = 0;
    RedirectPolicy redirectPolicy = RedirectPolicy::anywhere;

    // Adds a value: a header already present under the name (in any case) gets ", " and
    // the new value appended; otherwise the header is added at the end.
    void addValue(std::string_view value, std::string_view field);
    // Replaces the header's value (added at the end when it is not there yet).
    void setValue(std::string_view value, std::string_view field);
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    const HeaderFields& allHTTPHeaderFields() const { return headers_; }

private:
    HeaderFields headers_;
};

// Whether a header may be sent: a name of visible characters other than ':', and a value
// without CR, LF or NUL (which would end the header early and forge others).
bool isValidHeaderName(std::string_view name);
bool isValidHeaderValue(std::string_view value);

// Case-insensitive comparison of header names.
bool headerNamesEqual(std::string_view a, std::string_view b);

}  // namespace platform::net
