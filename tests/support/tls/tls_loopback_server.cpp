// The only place of the tests that sees the HTTP library's TLS half.
#define CPPHTTPLIB_OPENSSL_SUPPORT
#include "support/tls/tls_loopback_server.hpp"

#include <httplib.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <chrono>
#include <cstdlib>

#include "support/tls/openssl_handles.hpp"

namespace testsupport {

namespace {


tls::Bio reading(const std::string& pem) { return tls::Bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()))); }

// The context presents the identity; the context keeps its own references.
bool present(SSL_CTX& context, const ServerIdentity& identity) {
    tls::Certificate certificate(
        PEM_read_bio_X509(reading(identity.certificate).get(), nullptr, nullptr, nullptr));
    tls::Key key(
        PEM_read_bio_PrivateKey(reading(identity.privateKey).get(), nullptr, nullptr, nullptr));
    return certificate && key && SSL_CTX_use_certificate(&context, certificate.get()) == 1 &&
           SSL_CTX_use_PrivateKey(&context, key.get()) == 1 && SSL_CTX_check_private_key(&context) == 1;
}

// Headers the library adds to every request from the connection itself.
bool fromTheConnection(std::string_view name) {
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

}  // namespace

TlsLoopbackServer::TlsLoopbackServer(const ServerIdentity& identity)
    : server_(std::make_unique<httplib::SSLServer>(
          [&identity](SSL_CTX& context) { return present(context, identity); })) {
    if (!server_->is_valid()) std::abort();  // the tests' own certificate did not load
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        CapturedRequest captured;
        captured.method = request.method;
        captured.target = request.target;
        for (const auto& [name, value] : request.headers)
            if (!fromTheConnection(name)) captured.headers.emplace_back(name, value);
        captured.body = request.body;
        CannedAnswer answer = record(captured);
        response.status = answer.status;
        for (const auto& [name, value] : answer.headers) response.set_header(name, value);
        response.body = answer.bodyBytes();
    };
    const std::string anyPath = ".*";
    server_->Get(anyPath, handler).Post(anyPath, handler).Put(anyPath, handler).Patch(anyPath, handler);
    server_->Delete(anyPath, handler).Options(anyPath, handler);
    server_->set_keep_alive_max_count(1);
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) std::abort();  // no free loopback port at all: no test can run
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    // Stopping works only once the accept loop runs.
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TlsLoopbackServer::~TlsLoopbackServer() {
    server_->stop();
    listener_.join();
}

std::string TlsLoopbackServer::url(std::string_view path, std::string_view host) const {
    std::string text = "https://";
    text += host;
    text += ':';
    text += std::to_string(port_);
    text += path;
    return text;
}

}  // namespace testsupport
