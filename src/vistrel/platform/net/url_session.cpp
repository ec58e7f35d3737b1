#include "vistrel/platform/net/url_session.hpp"

#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "vistrel/platform/net/curl_global.hpp"
#include "vistrel/platform/net/redirect.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/net/url_error.hpp"

namespace platform::net {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Redirects followed before an exchange gives up.
constexpr int kMaxRedirects = 16;

// One transfer between its start and its completion, over all its redirects: `request`
// and `url` are those of the current hop, the state below them is the current hop's.
struct Transfer {
    URLRequest request;
    std::string url;
    int redirects = 0;
    std::optional<SteadyClock::time_point> deadline;  // set when the first hop starts
    URLSession::DataTaskCompletion completion;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    std::string received;
    bool overCap = false;
    HeaderFields responseHeaders;
    char errorText[CURL_ERROR_SIZE] = {};
    curl_off_t lastUp = 0;
    curl_off_t lastDown = 0;
    SteadyClock::time_point lastProgress = SteadyClock::now();

    ~Transfer() {
        if (easy) curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    // A time-out that is not above zero means the default one.
    std::chrono::milliseconds idleLimit() const {
        return request.timeoutInterval.count() > 0 ? request.timeoutInterval : URLRequest::defaultTimeoutInterval;
    }
    // Why the transfer has to end now for lack of time; none while it may go on.
    std::optional<std::string> timeUp(SteadyClock::time_point now) const {
        if (deadline && now >= *deadline)
            return "the exchange took longer than its total time-out of " +
                   std::to_string(request.totalTimeoutInterval.count()) + " ms";
        if (now - lastProgress > idleLimit())
            return "no progress for " + std::to_string(idleLimit().count()) + " ms";
        return std::nullopt;
    }
};

size_t onBody(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t cap = transfer->request.maxResponseBytes;
    if (cap && size * count > cap - transfer->received.size()) {
        transfer->overCap = true;
        transfer->received.clear();
        return 0;  // ends the transfer
    }
    transfer->received.append(data, size * count);
    return size * count;
}

// Keeps the headers of the last answer only (a redirect or an interim answer starts over).
size_t onHeader(char* data, size_t size, size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
        transfer->responseHeaders.clear();
    } else if (auto colon = line.find(':'); colon != std::string_view::npos && colon > 0) {
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
        transfer->responseHeaders.emplace_back(line.substr(0, colon), value);
    }
    return size * count;
}

// Any movement of bytes either way restarts the idle time.
int onProgress(void* context, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* transfer = static_cast<Transfer*>(context);
    if (downloaded != transfer->lastDown || uploaded != transfer->lastUp) {
        transfer->lastDown = downloaded;
        transfer->lastUp = uploaded;
        transfer->lastProgress = SteadyClock::now();
    }
    return 0;
}

long errorCode(CURLcode code) {
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT: return URLError::timedOut;
    case CURLE_COULDNT_CONNECT: return URLError::cannotConnectToHost;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return URLError::cannotFindHost;
    case CURLE_UNSUPPORTED_PROTOCOL: return URLError::unsupportedURL;
    case CURLE_URL_MALFORMAT: return URLError::badURL;
    case CURLE_TOO_MANY_REDIRECTS: return URLError::httpTooManyRedirects;
    case CURLE_FILESIZE_EXCEEDED: return URLError::dataLengthExceedsMaximum;
    case CURLE_PEER_FAILED_VERIFICATION: return URLError::serverCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE: return URLError::secureConnectionFailed;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: return URLError::networkConnectionLost;
    default: return URLError::unknown;
    }
}

void complete(const dispatch::Queue& queue, const URLSession::DataTaskCompletion& completion,
              std::optional<std::string> data, std::optional<HTTPURLResponse> response, std::optional<Error> error) {
    if (!completion) return;
    queue.async([completion, data = std::move(data), response = std::move(response), error = std::move(error)] {
        completion(data, response, error);
    });
}

// Sets the handle up for the transfer's current hop (a handle of an earlier hop is reset
// and used again) and clears what the hop before it received.
bool configure(Transfer& t, const URLSessionConfiguration& configuration) {
    if (t.easy) curl_easy_reset(t.easy);
    else t.easy = curl_easy_init();
    if (!t.easy) return false;
    curl_slist_free_all(t.headers);
    t.headers = nullptr;
    t.received.clear();
    t.overCap = false;
    t.responseHeaders.clear();
    t.errorText[0] = '\0';
    t.lastUp = t.lastDown = 0;
    CURL* e = t.easy;
    curl_easy_setopt(e, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    // A name lookup runs on a thread of libcurl's own. Ending a transfer whose lookup has not
    // returned (its time-out, the session's end) would otherwise wait for that lookup, which
    // may take minutes, and hold the worker and so every other transfer meanwhile: the
    // lookup's thread is left to finish on its own instead.
    curl_easy_setopt(e, CURLOPT_QUICK_EXIT, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed by the worker (redirect.hpp), which decides what of the
    // request goes where: libcurl would send every header of the request to any host.
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
    // The file takes the place of the default bundle file; the system's certificate folder
    // (the same authorities) stays in use.
    if (!configuration.trustedCertificateAuthoritiesFile.empty())
        curl_easy_setopt(e, CURLOPT_CAINFO, configuration.trustedCertificateAuthoritiesFile.c_str());
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.idleLimit().count()));
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.errorText);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    if (t.request.maxResponseBytes)
        curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t.request.maxResponseBytes));
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t);

    const std::string& method = t.request.httpMethod;
    bool sendsBody = t.request.httpBody || method == "POST" || method == "PUT" || method == "PATCH";
    if (sendsBody) {
        // The body goes as it is, with its length (0 for none); the method is the request's.
        if (!t.request.httpBody) t.request.httpBody.emplace();
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.request.httpBody->size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, t.request.httpBody->data());
        if (method != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else if (method == "HEAD") {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else if (method != "GET") {
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
    }

    for (const auto& [name, value] : t.request.allHTTPHeaderFields()) {
        std::string line = name;
        line += value.empty() ? ";" : ": ";  // "Name;" sends a header with an empty value
        line += value;
        t.headers = curl_slist_append(t.headers, line.c_str());
    }
    // No interim "100 Continue" round trip, and no form content type nobody asked for.
    t.headers = curl_slist_append(t.headers, "Expect:");
    if (sendsBody && !t.request.valueForHTTPHeaderField("Content-Type"))
        t.headers = curl_slist_append(t.headers, "Content-Type:");
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, t.headers);
    return true;
}

}  // namespace

struct URLSession::Worker {
    Worker(dispatch::Queue queue, URLSessionConfiguration configuration)
        : queue(std::move(queue)), configuration(std::move(configuration)) {
        ensureCurlGlobalInit();
        multi = curl_multi_init();
    }
    ~Worker() { curl_multi_cleanup(multi); }

    void submit(std::unique_ptr<Transfer> transfer) {
        std::lock_guard lock(mutex);
        if (stopping) {
            complete(queue, transfer->completion, std::nullopt, std::nullopt,
                     makeURLError(URLError::cancelled, "cancelled", transfer->url));
            return;
        }
        pending.push_back(std::move(transfer));
        if (!thread.joinable()) thread = std::thread([this] { run(); });
        curl_multi_wakeup(multi);
    }

    void stop() {
        {
            std::lock_guard lock(mutex);
            stopping = true;
            curl_multi_wakeup(multi);
        }
        if (thread.joinable()) thread.join();
    }

    void fail(const Transfer& t, long code, std::string_view text) {
        complete(queue, t.completion, std::nullopt, std::nullopt, makeURLError(code, text, t.url));
    }

    // Puts a transfer, new or on to its next hop, on the wire.
    void start(std::unique_ptr<Transfer> t) {
        if (!configure(*t, configuration) || curl_multi_add_handle(multi, t->easy) != CURLM_OK)
            return fail(*t, URLError::unknown, "the transfer could not be set up");
        auto now = SteadyClock::now();
        t->lastProgress = now;
        if (!t->deadline && t->request.totalTimeoutInterval.count() > 0)
            t->deadline = now + t->request.totalTimeoutInterval;
        CURL* easy = t->easy;
        active.emplace(easy, std::move(t));
    }

    // Ends the current hop: completes the transfer, or sets it aside in `redirected` to
    // start its next hop. `timeUp` says why a transfer ran out of time.
    void finish(CURL* easy, CURLcode code, std::string_view timeUp = {}) {
        auto it = active.find(easy);
        if (it == active.end()) return;
        std::unique_ptr<Transfer> t = std::move(it->second);
        active.erase(it);
        curl_multi_remove_handle(multi, easy);
        if (!timeUp.empty()) return fail(*t, URLError::timedOut, std::string("Timeout was reached: ").append(timeUp));
        if (t->overCap || code == CURLE_FILESIZE_EXCEEDED)
            return fail(*t, URLError::dataLengthExceedsMaximum,
                        "the response body is over the limit of " + std::to_string(t->request.maxResponseBytes) +
                            " bytes");
        if (code != CURLE_OK) {
            std::string text = curl_easy_strerror(code);
            if (t->errorText[0]) text.append(": ").append(t->errorText);
            return fail(*t, errorCode(code), text);
        }
        HTTPURLResponse response;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &response.statusCode);
        char* target = nullptr;
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &target);
        Redirect redirect = redirectFor(t->request, response.statusCode, target ? target : "");
        if (redirect.error) return complete(queue, t->completion, std::nullopt, std::nullopt, std::move(redirect.error));
        if (redirect.next) {
            if (++t->redirects > kMaxRedirects)
                return fail(*t, URLError::httpTooManyRedirects,
                            "more than " + std::to_string(kMaxRedirects) + " redirects");
            t->request = std::move(*redirect.next);
            t->url = t->request.url;
            redirected.push_back(std::move(t));
            return;
        }
        response.url = t->url;
        response.headerFields = std::move(t->responseHeaders);
        complete(queue, t->completion, std::move(t->received), std::move(response), std::nullopt);
    }

    void run() {
        for (;;) {
            std::vector<std::unique_ptr<Transfer>> starting;
            bool stop;
            {
                std::lock_guard lock(mutex);
                starting.swap(pending);
                stop = stopping;
            }
            for (auto& t : starting) start(std::move(t));
            if (stop) break;
            int running = 0;
            curl_multi_perform(multi, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left))
                if (message->msg == CURLMSG_DONE) finish(message->easy_handle, message->data.result);
            for (auto& t : redirected) start(std::move(t));
            redirected.clear();
            auto now = SteadyClock::now();
            std::vector<std::pair<CURL*, std::string>> expired;
            for (const auto& [easy, t] : active)
                if (auto why = t->timeUp(now)) expired.emplace_back(easy, std::move(*why));
            for (const auto& [easy, why] : expired) finish(easy, CURLE_OPERATION_TIMEDOUT, why);
            // Short waits while transfers run, so time-outs are noticed promptly.
            curl_multi_poll(multi, nullptr, 0, active.empty() ? 1000 : 20, nullptr);
        }
        for (auto& [easy, t] : active) {
            curl_multi_remove_handle(multi, easy);
            complete(queue, t->completion, std::nullopt, std::nullopt,
                     makeURLError(URLError::cancelled, "cancelled", t->url));
        }
        active.clear();
    }

    dispatch::Queue queue;
    const URLSessionConfiguration configuration;
    CURLM* multi = nullptr;
    std::mutex mutex;
    std::vector<std::unique_ptr<Transfer>> pending;
    bool stopping = false;
    std::thread thread;
    // Touched by the worker thread only.
    std::map<CURL*, std::unique_ptr<Transfer>> active;
    std::vector<std::unique_ptr<Transfer>> redirected;  // between two hops
};

URLSession& URLSession::shared() {
    static auto* session = new URLSession(dispatch::makeSerialQueue("net.session.shared.delegate"));
    return *session;
}

URLSession::URLSession(std::optional<dispatch::Queue> delegateQueue)
    : URLSession(URLSessionConfiguration{}, std::move(delegateQueue)) {}

URLSession::URLSession(URLSessionConfiguration configuration, std::optional<dispatch::Queue> delegateQueue)
    : configuration_(std::move(configuration)),
      queue_(delegateQueue ? *delegateQueue : dispatch::makeSerialQueue("net.session.delegate")),
      worker_(std::make_shared<Worker>(queue_, configuration_)) {}

URLSession::~URLSession() { worker_->stop(); }

std::shared_ptr<URLSessionDataTask> URLSession::dataTask(URLRequest request, DataTaskCompletion completion) {
    return std::make_shared<URLSessionDataTask>(std::move(request), std::move(completion), queue_, worker_);
}

URLSessionDataTask::URLSessionDataTask(URLRequest request, URLSession::DataTaskCompletion completion,
                                       dispatch::Queue queue, std::weak_ptr<URLSession::Worker> worker)
    : request_(std::move(request)), completion_(std::move(completion)), queue_(std::move(queue)),
      worker_(std::move(worker)) {}

void URLSessionDataTask::resume() {
    if (resumed_.exchange(true)) return;
    auto url = validatedHTTPURL(request_.url);
    if (!url) {
        complete(queue_, completion_, std::nullopt, std::nullopt,
                 makeURLError(URLError::unsupportedURL, "not an http or https address", request_.url));
        return;
    }
    for (const auto& [name, value] : request_.allHTTPHeaderFields()) {
        if (!isValidHeaderName(name) || !isValidHeaderValue(value)) {
            complete(queue_, completion_, std::nullopt, std::nullopt,
                     makeURLError(URLError::badURL, "a header name or value is not sendable", request_.url));
            return;
        }
    }
    auto worker = worker_.lock();
    if (!worker) {
        complete(queue_, completion_, std::nullopt, std::nullopt,
                 makeURLError(URLError::cancelled, "cancelled", request_.url));
        return;
    }
    auto transfer = std::make_unique<Transfer>();
    transfer->request = request_;
    transfer->url = *url;
    transfer->completion = completion_;
    worker->submit(std::move(transfer));
}

}  // namespace platform::net
