#pragma once
// An https server on 127.0.0.1 for tests of secure transfers: the loopback server's
// recording and canned answers, behind TLS with a certificate of the tests. A request is
// recorded only once the handshake succeeded, so a client that refused the certificate
// leaves no request behind.
//
// The TLS library parses the requests: a recorded request has no raw bytes, and its
// headers come sorted by name. An answer's status, headers and body are sent; its delay,
// reset and dribbling are not supported. Each answer closes its connection.
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "loopback_server.hpp"
#include "support/tls/test_certificates.hpp"

namespace httplib {
class SSLServer;
}

namespace testsupport {

class TlsLoopbackServer : public RequestRecorder {
public:
    // Listening at once on a free port, presenting `identity`.
    explicit TlsLoopbackServer(const ServerIdentity& identity);
    ~TlsLoopbackServer();
    TlsLoopbackServer(const TlsLoopbackServer&) = delete;
    TlsLoopbackServer& operator=(const TlsLoopbackServer&) = delete;

    int port() const { return port_; }
    // "https://<host>:<port>" followed by the path.
    std::string url(std::string_view path = "/", std::string_view host = "127.0.0.1") const;

private:
    std::unique_ptr<httplib::SSLServer> server_;
    int port_ = 0;
    std::thread listener_;
};

}  // namespace testsupport
