#pragma once
// Certificates for tests of https on the loopback address, made with EC P-256 keys when
// first asked for and kept for the rest of the test program. Everything is PEM text.
#include <string>

namespace testsupport {

struct ServerIdentity {
    std::string certificate;
    std::string privateKey;
};

struct TestCertificates {
    // The authority a client is told to trust.
    std::string authority;
    // Signed by that authority for IP 127.0.0.1 and DNS localhost, valid from yesterday on.
    ServerIdentity loopback;
    // The same names and signer, but its time ended yesterday.
    ServerIdentity expired;
    // Signed by that authority, for another host name only.
    ServerIdentity otherHost;
    // For the loopback names, but signed by an authority nobody trusts.
    ServerIdentity untrusted;

    static const TestCertificates& shared();
};

}  // namespace testsupport
