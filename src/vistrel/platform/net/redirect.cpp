#include "vistrel/platform/net/redirect.hpp"

#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_error.hpp"

namespace platform::net {

namespace {

bool describesBody(std::string_view header) {
    return header.size() >= 8 && headerNamesEqual(header.substr(0, 8), "Content-");
}

}  // namespace

Redirect redirectFor(const URLRequest& request, long statusCode, std::string_view target) {
    const bool redirects = statusCode == 301 || statusCode == 302 || statusCode == 303 || statusCode == 307 ||
                           statusCode == 308;
    if (!redirects || target.empty()) return {};
    if (!validatedHTTPURL(target))
        return {std::nullopt, makeURLError(URLError::unsupportedURL, "redirected to an address that is not http or https",
                                           target)};
    if (schemeOf(request.url) == "https" && schemeOf(target) != "https")
        return {std::nullopt, makeURLError(URLError::secureConnectionRequired,
                                           "redirected from https to plain http: not followed", target)};

    const std::string& method = request.httpMethod;
    const bool becomesGet = (statusCode == 303 && method != "HEAD") ||
                            ((statusCode == 301 || statusCode == 302) && method == "POST");
    const bool carriesBody = !becomesGet && request.httpBody && !request.httpBody->empty();
    const bool sameService = net::sameService(request.url, target);
    if (!sameService && (carriesBody || request.redirectPolicy == RedirectPolicy::sameServiceOnly)) return {};

    URLRequest next{std::string(target), request.timeoutInterval};
    next.totalTimeoutInterval = request.totalTimeoutInterval;
    next.maxResponseBytes = request.maxResponseBytes;
    next.redirectPolicy = request.redirectPolicy;
    next.httpMethod = becomesGet ? "GET" : method;
    if (!becomesGet) next.httpBody = request.httpBody;
    if (sameService)
        for (const auto& [name, value] : request.allHTTPHeaderFields())
            if (!becomesGet || !describesBody(name)) next.addValue(value, name);
    return {std::move(next), std::nullopt};
}

}  // namespace platform::net
