#include "vistrel/platform/net/url.hpp"

#include <curl/curl.h>

#include <memory>

#include "vistrel/platform/net/curl_global.hpp"

namespace platform::net {

namespace {

struct URLHandleFree {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using URLHandle = std::unique_ptr<CURLU, URLHandleFree>;

// The parsed address, or none when it is not an absolute http(s) URL with a host.
URLHandle parse(std::string_view text) {
    ensureCurlGlobalInit();
    URLHandle handle(curl_url());
    if (!handle || text.empty()) return nullptr;
    std::string owned(text);
    if (curl_url_set(handle.get(), CURLUPART_URL, owned.c_str(), 0) != CURLUE_OK) return nullptr;
    char* scheme = nullptr;
    char* host = nullptr;
    bool ok = curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
              curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK && host[0] != '\0' &&
              (std::string_view(scheme) == "http" || std::string_view(scheme) == "https");
    curl_free(scheme);
    curl_free(host);
    return ok ? std::move(handle) : nullptr;
}

// One part of a parsed address, lower-cased (scheme and host compare without case).
std::string lowerPart(const URLHandle& handle, CURLUPart what, unsigned flags = 0) {
    char* text = nullptr;
    std::string part;
    if (curl_url_get(handle.get(), what, &text, flags) == CURLUE_OK) part = text;
    curl_free(text);
    for (char& c : part)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return part;
}

}  // namespace

std::optional<std::string> schemeOf(std::string_view url) {
    auto handle = parse(url);
    if (!handle) return std::nullopt;
    return lowerPart(handle, CURLUPART_SCHEME);
}

bool sameOrigin(std::string_view a, std::string_view b) {
    auto first = parse(a), second = parse(b);
    if (!first || !second) return false;
    for (CURLUPart what : {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PORT})
        if (lowerPart(first, what, CURLU_DEFAULT_PORT) != lowerPart(second, what, CURLU_DEFAULT_PORT)) return false;
    return true;
}

bool sameService(std::string_view from, std::string_view to) {
    auto first = parse(from), second = parse(to);
    if (!first || !second) return false;
    if (lowerPart(first, CURLUPART_HOST) != lowerPart(second, CURLUPART_HOST)) return false;
    const std::string fromScheme = lowerPart(first, CURLUPART_SCHEME), toScheme = lowerPart(second, CURLUPART_SCHEME);
    const std::string fromPort = lowerPart(first, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    const std::string toPort = lowerPart(second, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (fromScheme == toScheme) return fromPort == toPort;
    return fromScheme == "http" && toScheme == "https" && (fromPort == toPort || (fromPort == "80" && toPort == "443"));
}

std::optional<std::string> validatedHTTPURL(std::string_view url) {
    if (!parse(url)) return std::nullopt;
    return std::string(url);
}

std::optional<std::string> appendingQueryItem(std::string_view url, std::string_view item) {
    if (!parse(url)) return std::nullopt;
    // Composed as text, so the item's escapes go out exactly as they were written.
    std::size_t hash = url.find('#');
    std::string_view base = url.substr(0, hash);
    std::string result(base);
    if (base.find('?') == std::string_view::npos) result += '?';
    else if (!base.ends_with('?') && !base.ends_with('&')) result += '&';
    result += item;
    if (hash != std::string_view::npos) result += url.substr(hash);
    return result;
}

std::string percentEncodedQueryValue(std::string_view value) {
    static constexpr std::string_view kept = "-._~!$'()*,;:@/?";
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
            kept.find(c) != std::string_view::npos) {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    return out;
}

}  // namespace platform::net
