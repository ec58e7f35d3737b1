#pragma once
// An HTTP server on a loopback address (127.0.0.1 unless told otherwise) for tests of
// code that talks to a web service, and the demo's stand-in services. It keeps every
// request as it came on the wire (method, target, headers in their order, body, raw
// bytes) and answers with a canned answer: a status, headers and a body, after an
// optional delay, or by resetting the connection. Each answer closes its connection.
//
// It reads the socket itself rather than through an HTTP library's parsed request,
// because the tests check the exact bytes and the order of the headers.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

struct CapturedRequest {
    std::string method;
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string raw;

    // The first header of that name (any case).
    std::optional<std::string> header(std::string_view name) const;
    std::size_t headerCount(std::string_view name) const;
};

struct CannedAnswer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds delay{0};  // wait before answering (cut short when the server stops)
    bool reset = false;                  // no answer: the connection is reset
    std::chrono::milliseconds pauseBetweenBodyBytes{0};  // the body dribbles out byte by byte
    bool chunked = false;  // the body goes in chunks, with no Content-Length
    // A body shared rather than copied (a large one answered to many requests); when set,
    // it is sent instead of `body`. answer() moves a `body` in here itself.
    std::shared_ptr<const std::string> sharedBody = nullptr;

    std::string_view bodyBytes() const { return sharedBody ? std::string_view(*sharedBody) : std::string_view(body); }
};

// A body to hand to several answers without copying its bytes.
inline std::shared_ptr<const std::string> sharedBody(std::string bytes) {
    return std::make_shared<const std::string>(std::move(bytes));
}

// The requests a test server took in and what it answers them with, for any server of the
// tests whatever it speaks; safe from any thread.
class RequestRecorder {
public:
    using Responder = std::function<CannedAnswer(const CapturedRequest&)>;

    // The answer to every later request (at first: 200 with an empty body). Its body is
    // kept once and sent from there, never copied per request.
    void answer(CannedAnswer answer);
    void answerWith(Responder responder);

    std::vector<CapturedRequest> requests() const;
    // Waits until `count` requests have come in. The default bound only catches a hang (a
    // sanitizer build on a loaded machine is slow); a test that checks that nothing comes
    // gives a short one of its own.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout = std::chrono::minutes(2)) const;

protected:
    // Keeps the request and gives what to answer it with.
    CannedAnswer record(const CapturedRequest& request);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    // Shared, so that taking it for a request copies no canned body.
    std::shared_ptr<const Responder> responder_ =
        std::make_shared<const Responder>([](const CapturedRequest&) { return CannedAnswer{}; });
    std::vector<CapturedRequest> requests_;
};

class LoopbackServer : public RequestRecorder {
public:
    // Listening at once on the port of the host address, or on a free one for 0; a port that is
    // taken leaves the server not listening (port() is 0). Linux routes the whole of
    // 127.0.0.0/8 to the loopback device, so "127.0.0.2" is a second host for tests.
    explicit LoopbackServer(int port = 0, std::string host = "127.0.0.1");
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int port() const { return port_; }
    // "http://<address>:<port>" followed by the path.
    std::string url(std::string_view path = "/") const;

    // A loopback port where nothing listens: a connection to it is refused.
    static int refusedPort();

private:
    void acceptLoop();
    void serve(int socket);

    std::string address_;
    int listener_ = -1;
    int port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace testsupport
