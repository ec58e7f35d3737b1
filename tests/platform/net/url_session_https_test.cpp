#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loopback_server.hpp"
#include "net_test_support.hpp"
#include "support/temp_dir.hpp"
#include "support/tls/test_certificates.hpp"
#include "support/tls/tls_loopback_server.hpp"
#include "vistrel/platform/net/url_error.hpp"
#include "vistrel/platform/net/url_session.hpp"

using nettest::Outcome;
using nettest::send;
using platform::net::URLRequest;
using platform::net::URLSession;
using platform::net::URLSessionConfiguration;
using testsupport::CannedAnswer;
using testsupport::CapturedRequest;
using testsupport::TestCertificates;
using testsupport::TlsLoopbackServer;
namespace URLError = platform::net::URLError;

namespace {

struct HttpsTest : ::testing::Test {
    const TestCertificates& certificates = TestCertificates::shared();
    testsupport::TempDir folder;
    // A session that trusts the tests' authority.
    URLSessionConfiguration trusting() const {
        return {folder.write("authority.pem", certificates.authority).string()};
    }
    static std::string text(const Outcome& outcome) {
        return outcome.error ? outcome.error->description() : "no error";
    }
};

}  // namespace

// Both loopback names are in the certificate; a redirect that stays on https is followed.
TEST_F(HttpsTest, AServerSignedByTheNamedAuthorityAnswers) {
    TlsLoopbackServer server(certificates.loopback);
    server.answerWith([](const CapturedRequest& request) -> CannedAnswer {
        if (request.target == "/moved") return {302, "", {{"Location", "/final"}}};
        return {200, "hello over " + request.target, {}};
    });
    URLSession session(trusting());
    for (const char* host : {"127.0.0.1", "localhost"}) {
        Outcome outcome = send(session, URLRequest(server.url("/moved", host)));
        ASSERT_TRUE(outcome.response) << host << ": " << text(outcome);
        EXPECT_EQ(outcome.response->statusCode, 200);
        EXPECT_EQ(outcome.response->url, server.url("/final", host));
        EXPECT_EQ(outcome.data, "hello over /final");
    }
    EXPECT_EQ(server.requests().size(), 4u);
}

// A refused certificate ends the transfer during the handshake: the request (its headers,
// its body) never reaches the server, and the error says why.
TEST_F(HttpsTest, CertificatesNotToBeTrustedAreRefusedBeforeAnythingIsSent) {
    struct Row {
        const char* name;
        const testsupport::ServerIdentity& identity;
        URLSessionConfiguration configuration;
        long code;
        const char* reason;
    };
    const std::vector<Row> rows = {
        {"signed by another authority", certificates.untrusted, trusting(), URLError::serverCertificateUntrusted,
         "unable to get local issuer certificate"},
        {"expired", certificates.expired, trusting(), URLError::serverCertificateUntrusted, "certificate has expired"},
        {"for another host", certificates.otherHost, trusting(), URLError::serverCertificateUntrusted,
         "no alternative certificate subject name matches"},
        {"the system's store alone", certificates.loopback, {}, URLError::serverCertificateUntrusted,
         "unable to get local issuer certificate"},
        {"authority file missing", certificates.loopback, {(folder / "missing.pem").string()},
         URLError::secureConnectionFailed, "missing.pem"},
    };
    for (const Row& row : rows) {
        TlsLoopbackServer server(row.identity);
        URLSession session(row.configuration);
        URLRequest request(server.url("/secret"));
        request.httpMethod = "POST";
        request.httpBody = "card number";
        Outcome outcome = send(session, request);
        EXPECT_FALSE(outcome.data) << row.name;
        EXPECT_FALSE(outcome.response) << row.name;
        ASSERT_TRUE(outcome.error) << row.name;
        EXPECT_EQ(outcome.error->code, row.code) << row.name << ": " << text(outcome);
        EXPECT_NE(text(outcome).find(row.reason), std::string::npos) << row.name << ": " << text(outcome);
        EXPECT_EQ(server.requests().size(), 0u) << row.name;
    }
}

TEST_F(HttpsTest, ARedirectFromHttpsToPlainHttpIsRefused) {
    testsupport::LoopbackServer plain;
    TlsLoopbackServer server(certificates.loopback);
    server.answer({302, "", {{"Location", plain.url("/leaked")}}});
    URLSession session(trusting());
    URLRequest request(server.url("/start"));
    request.addValue("Bearer key", "Authorization");
    Outcome outcome = send(session, request);
    EXPECT_TRUE(plain.requests().empty()) << "the redirect went on in the clear";
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_FALSE(outcome.data);
    EXPECT_TRUE(outcome.error);
}
