#pragma once
// A URL session: data tasks that run their transfer on the session's worker thread and
// complete on the session's callback queue (a serial queue) with the body (present,
// perhaps empty, whenever an answer came), the HTTP response and a transport error.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/net/http_url_response.hpp"
#include "vistrel/platform/net/url_request.hpp"

namespace platform::net {

class URLSessionDataTask;

// What a session is made with.
struct URLSessionConfiguration {
    // A PEM file of certificate authorities this session trusts for https, besides the
    // system's store; peers and host names are verified all the same. Empty: the system's
    // store alone. A file that cannot be read fails every https transfer.
    std::string trustedCertificateAuthoritiesFile;
};

class URLSession {
public:
    using DataTaskCompletion = std::function<void(std::optional<std::string> data,
                                                  std::optional<HTTPURLResponse> response,
                                                  std::optional<Error> error)>;

    // The process's session, made on first use (safe from any thread), never destroyed.
    static URLSession& shared();

    // A session whose completions run on `delegateQueue`, or on a new serial queue.
    explicit URLSession(std::optional<dispatch::Queue> delegateQueue = std::nullopt);
    explicit URLSession(URLSessionConfiguration configuration,
                        std::optional<dispatch::Queue> delegateQueue = std::nullopt);
    // Transfers still running end with the cancelled error; waits for the worker.
    ~URLSession();
    URLSession(const URLSession&) = delete;
    URLSession& operator=(const URLSession&) = delete;

    // A task for the request; nothing is sent before resume().
    std::shared_ptr<URLSessionDataTask> dataTask(URLRequest request, DataTaskCompletion completion);

    const dispatch::Queue& delegateQueue() const { return queue_; }
    const URLSessionConfiguration& configuration() const { return configuration_; }

    struct Worker;

private:
    URLSessionConfiguration configuration_;
    dispatch::Queue queue_;
    std::shared_ptr<Worker> worker_;
};

class URLSessionDataTask {
public:
    // Starts the transfer; later calls do nothing. A request with an address that is not
    // http or https, or a header holding a line break, is not sent: it completes with an
    // error on the callback queue.
    void resume();
    const URLRequest& originalRequest() const { return request_; }

    URLSessionDataTask(URLRequest request, URLSession::DataTaskCompletion completion, dispatch::Queue queue,
                       std::weak_ptr<URLSession::Worker> worker);

private:
    URLRequest request_;
    URLSession::DataTaskCompletion completion_;
    dispatch::Queue queue_;
    std::weak_ptr<URLSession::Worker> worker_;
    std::atomic<bool> resumed_{false};
};

}  // namespace platform::net
