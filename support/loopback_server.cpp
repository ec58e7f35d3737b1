#include "loopback_server.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace testsupport {

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) ==
                                                  std::tolower(static_cast<unsigned char>(y)); });
}

// Waits until the socket has bytes or is closed: false after a minute of silence or
// once the server stops, whichever comes first.
bool waitReadable(int socket, const std::function<bool()>& stopping) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!stopping()) {
        pollfd pfd{socket, POLLIN, 0};
        int ready = poll(&pfd, 1, 100);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
    return false;
}

const char* reasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

// Reads a whole request (headers, then a body of Content-Length bytes). False when the
// peer closed, went silent for a minute (a hang, not a slow client) or the server stops.
bool readRequest(int socket, CapturedRequest& request, const std::function<bool()>& stopping) {
    std::string& raw = request.raw;
    std::size_t headerEnd = std::string::npos;
    std::size_t wanted = 0;
    char buffer[16384];
    for (;;) {
        if (headerEnd != std::string::npos && raw.size() >= headerEnd + 4 + wanted) break;
        if (!waitReadable(socket, stopping)) return false;
        ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        raw.append(buffer, static_cast<std::size_t>(n));
        if (headerEnd == std::string::npos && (headerEnd = raw.find("\r\n\r\n")) != std::string::npos) {
            std::string_view head(raw.data(), headerEnd);
            std::size_t lineEnd = head.find("\r\n");
            std::string_view requestLine = head.substr(0, lineEnd);
            std::size_t space1 = requestLine.find(' ');
            std::size_t space2 = requestLine.find(' ', space1 + 1);
            request.method = requestLine.substr(0, space1);
            request.target = requestLine.substr(space1 + 1, space2 - space1 - 1);
            while (lineEnd != std::string_view::npos) {
                std::size_t start = lineEnd + 2;
                lineEnd = head.find("\r\n", start);
                std::string_view line = head.substr(start, lineEnd == std::string_view::npos ? head.npos : lineEnd - start);
                std::size_t colon = line.find(':');
                if (colon == std::string_view::npos) continue;
                std::string_view value = line.substr(colon + 1);
                if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
                request.headers.emplace_back(line.substr(0, colon), value);
            }
            if (auto length = request.header("Content-Length")) wanted = std::strtoul(length->c_str(), nullptr, 10);
        }
    }
    request.body = raw.substr(headerEnd + 4, wanted);
    return true;
}

// False when the peer is gone.
bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// One piece of a body, framed as a chunk when the body is chunked.
bool sendPiece(int socket, std::string_view piece, bool chunked) {
    if (!chunked) return sendAll(socket, piece);
    char size[20];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    return sendAll(socket, size) && sendAll(socket, piece) && sendAll(socket, "\r\n");
}

}  // namespace

std::optional<std::string> CapturedRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (sameName(key, name)) return value;
    return std::nullopt;
}

std::size_t CapturedRequest::headerCount(std::string_view name) const {
    return static_cast<std::size_t>(
        std::count_if(headers.begin(), headers.end(), [&](const auto& h) { return sameName(h.first, name); }));
}

void RequestRecorder::answer(CannedAnswer answer) {
    if (!answer.sharedBody) answer.sharedBody = sharedBody(std::move(answer.body));
    answer.body.clear();
    answerWith([answer = std::move(answer)](const CapturedRequest&) { return answer; });
}

void RequestRecorder::answerWith(Responder responder) {
    auto shared = std::make_shared<const Responder>(std::move(responder));
    std::lock_guard lock(mutex_);
    responder_ = std::move(shared);
}

std::vector<CapturedRequest> RequestRecorder::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool RequestRecorder::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

CannedAnswer RequestRecorder::record(const CapturedRequest& request) {
    std::shared_ptr<const Responder> responder;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        responder = responder_;
    }
    changed_.notify_all();
    return (*responder)(request);
}

LoopbackServer::LoopbackServer(int port, std::string host) : address_(std::move(host)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int reuse = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (inet_pton(AF_INET, address_.c_str(), &address.sin_addr) != 1) std::abort();  // a test's own mistake
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 64) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (port == 0) std::abort();  // no free loopback port at all: no test can run
        return;                       // that port is taken: not listening
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    shutdown(listener_, SHUT_RDWR);
    if (acceptor_.joinable()) acceptor_.join();
    close(listener_);
    for (auto& connection : connections_) connection.join();
}

std::string LoopbackServer::url(std::string_view path) const {
    std::string text = "http://";
    text += address_;
    text += ':';
    text += std::to_string(port_);
    text += path;
    return text;
}

int LoopbackServer::refusedPort() {
    int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);  // bound but never listening, then gone: connections are refused
    return ntohs(address.sin_port);
}

void LoopbackServer::acceptLoop() {
    for (;;) {
        int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;
        std::lock_guard lock(mutex_);
        if (stopping_) {
            close(connection);
            return;
        }
        connections_.emplace_back([this, connection] { serve(connection); });
    }
}

void LoopbackServer::serve(int socket) {
    CapturedRequest request;
    auto stopping = [this] {
        std::lock_guard lock(mutex_);
        return stopping_;
    };
    if (!readRequest(socket, request, stopping)) {
        close(socket);
        return;
    }
    CannedAnswer answer = record(request);
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, answer.delay, [&] { return stopping_; });
    }
    if (answer.reset) {
        linger hard{1, 0};
        setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        close(socket);
        return;
    }
    std::string head = "HTTP/1.1 ";
    head += std::to_string(answer.status);
    head += ' ';
    head += reasonPhrase(answer.status);
    head += "\r\n";
    for (const auto& [name, value] : answer.headers) {
        head += name;
        head += ": ";
        head += value;
        head += "\r\n";
    }
    const bool hasBody = answer.status != 204 && answer.status != 304;
    // Sent from where the answer keeps it: a large body is never copied on its way out.
    const std::string_view body = answer.bodyBytes();
    if (hasBody && answer.chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (hasBody) {
        head += "Content-Length: ";
        head += std::to_string(body.size());
        head += "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    bool sending = sendAll(socket, head) && hasBody;
    // The body in large pieces, or byte by byte with a pause before each.
    const bool dribbling = answer.pauseBetweenBodyBytes.count() > 0;
    const std::size_t pieceSize = dribbling ? 1 : 65536;
    for (std::size_t i = 0; sending && i < body.size(); i += pieceSize) {
        if (dribbling) {
            std::unique_lock lock(mutex_);
            if (changed_.wait_for(lock, answer.pauseBetweenBodyBytes, [&] { return stopping_; })) break;
        }
        sending = sendPiece(socket, body.substr(i, pieceSize), answer.chunked);
    }
    if (sending && answer.chunked) sendAll(socket, "0\r\n\r\n");
    shutdown(socket, SHUT_WR);
    close(socket);
}

}  // namespace testsupport
