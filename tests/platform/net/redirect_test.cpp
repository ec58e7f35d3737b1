// The redirect steps that need an https server to be seen end to end.
#include <gtest/gtest.h>

#include "vistrel/platform/net/redirect.hpp"
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
    // Another scheme is another origin: the upgraded request goes without the key.
    URLRequest plain("http://service.example/");
    plain.addValue("secret", "ApiKey");
    auto upgraded = redirectFor(plain, 301, "https://service.example/");
    ASSERT_TRUE(upgraded.next);
    EXPECT_FALSE(upgraded.next->valueForHTTPHeaderField("ApiKey"));
}
