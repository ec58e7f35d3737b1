// The redirect steps that need an https server to be seen end to end.
#include <gtest/gtest.h>

#include "vistrel/platform/net/redirect.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_error.hpp"

using platform::net::redirectFor;
using platform::net::URLRequest;

// Nothing leaves https for plain http, whatever the status and the host; https to https
// goes on (with the request's headers to the same origin only), and so does http to https.
TEST(RedirectTest, HttpsNeverLeadsToPlainHttp) {
    URLRequest request("https://service.example/recognize");
    request.httpMethod = "POST";
    request.httpBody = "photo";
    request.addValue("secret", "ApiKey");
    for (long status : {301, 302, 303, 307, 308}) {
        for (const char* target : {"http://service.example/recognize", "http://elsewhere.example/"}) {
            auto step = redirectFor(request, status, target);
            ASSERT_TRUE(step.error) << status << " " << target;
            EXPECT_EQ(std::tuple(step.next.has_value(), step.error->code),
                      std::tuple(false, platform::net::URLError::secureConnectionRequired));
        }
    }
    auto same = redirectFor(request, 307, "https://SERVICE.example:443/v2");
    ASSERT_TRUE(same.next);
    EXPECT_EQ(std::tuple(same.next->httpMethod, same.next->httpBody, same.next->valueForHTTPHeaderField("ApiKey")),
              std::tuple("POST", "photo", "secret"));
    // The same host upgraded to https is the same service: the key goes on.
    URLRequest plain("http://service.example/");
    plain.addValue("secret", "ApiKey");
    auto upgraded = redirectFor(plain, 301, "https://service.example/");
    ASSERT_TRUE(upgraded.next);
    EXPECT_EQ(upgraded.next->valueForHTTPHeaderField("ApiKey"), "secret");
}

// The same host moved from http to https, on the same port or from 80 to 443, is the same
// service: a 307 or 308 goes on with the body and every header, a 302 after a POST as a GET
// with the headers that do not describe the body. Any other move is to another origin:
// followed without the request's headers by a request that may go anywhere, not followed
// at all by one kept to its service; so is a 307 that would carry the body there.
TEST(RedirectTest, AnUpgradeToHttpsOfTheSameHostIsTheSameService) {
    using platform::net::RedirectPolicy;
    struct Row {
        const char* from;
        const char* to;
        bool sameService;
    };
    const Row rows[] = {
        {"http://service.example/scan", "https://service.example/scan", true},
        {"http://service.example:80/scan", "https://SERVICE.example:443/v2", true},
        {"http://service.example:8080/scan", "https://service.example:8080/scan", true},
        {"http://service.example/scan", "http://service.example/v2", true},
        {"http://service.example:8080/scan", "https://service.example/scan", false},
        {"http://service.example/scan", "https://service.example:8443/scan", false},
        {"http://service.example/scan", "https://other.example/scan", false},
        {"http://service.example/scan", "http://service.example:8080/scan", false},
        {"https://service.example/scan", "https://service.example:8443/scan", false},
    };
    for (const Row& row : rows) {
        for (RedirectPolicy policy : {RedirectPolicy::anywhere, RedirectPolicy::sameServiceOnly}) {
            for (long status : {302, 307, 308}) {
                SCOPED_TRACE(testing::Message() << row.from << " to " << row.to << " " << status << " policy "
                                                << static_cast<int>(policy));
                EXPECT_EQ(platform::net::sameService(row.from, row.to), row.sameService);
                URLRequest request(row.from);
                request.httpMethod = "POST";
                request.httpBody = "photo";
                request.redirectPolicy = policy;
                request.addValue("secret", "ApiKey");
                request.addValue("image/jpeg", "Content-Type");
                auto step = redirectFor(request, status, row.to);
                EXPECT_FALSE(step.error);
                const bool keepsBody = status != 302;
                const bool followed = row.sameService || (policy == RedirectPolicy::anywhere && !keepsBody);
                ASSERT_EQ(step.next.has_value(), followed);
                if (!followed) continue;
                EXPECT_EQ(std::tuple(step.next->url, step.next->httpMethod, step.next->httpBody,
                                     step.next->valueForHTTPHeaderField("ApiKey"),
                                     step.next->valueForHTTPHeaderField("Content-Type"), step.next->redirectPolicy),
                          std::tuple(row.to, keepsBody ? "POST" : "GET",
                                     keepsBody ? std::optional<std::string>("photo") : std::nullopt,
                                     row.sameService ? std::optional<std::string>("secret") : std::nullopt,
                                     row.sameService && keepsBody ? std::optional<std::string>("image/jpeg")
                                                                  : std::nullopt,
                                     policy));
            }
        }
    }
}

// Only 301, 302, 303, 307 and 308 lead anywhere: 300 (a choice to make) and 305 (a proxy to
// use) stand as they came, whatever their Location says.
TEST(RedirectTest, MultipleChoicesAndUseProxyAreNotFollowed) {
    URLRequest request("http://service.example/scan");
    request.addValue("secret", "ApiKey");
    for (long status : {300, 304, 305, 306}) {
        for (const char* target : {"http://service.example/v2", "http://127.0.0.1:3128/"}) {
            auto step = redirectFor(request, status, target);
            EXPECT_EQ(std::tuple(step.next.has_value(), step.error.has_value()), std::tuple(false, false))
                << status << " " << target;
        }
    }
}
