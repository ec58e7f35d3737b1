#include "platform/foundation/log.hpp"

#include <cstdio>
#include <memory>
#include <mutex>

namespace platform {

namespace {
std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}
std::shared_ptr<LogSink>& currentSink() {
    static std::shared_ptr<LogSink> sink;
    return sink;
}
}  // namespace

void log(std::string_view line) {
    std::shared_ptr<LogSink> sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        (*sink)(line);
        return;
    }
    std::string out(line);
    out += '\n';
    std::fwrite(out.data(), 1, out.size(), stderr);
}

LogSink setLogSink(LogSink sink) {
    std::lock_guard lock(sinkMutex());
    auto& current = currentSink();
    LogSink previous = current ? *current : LogSink{};
    current = sink ? std::make_shared<LogSink>(std::move(sink)) : nullptr;
    return previous;
}

std::string escapeControlCharacters(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                out += "\\x";
                out += hex[c >> 4];
                out += hex[c & 0xf];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

struct LogCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> lines;
};

LogCapture::LogCapture() : state_(std::make_shared<State>()) {
    std::shared_ptr<State> state = state_;
    previous_ = setLogSink([state](std::string_view line) {
        std::lock_guard lock(state->mutex);
        state->lines.emplace_back(line);
    });
}

LogCapture::~LogCapture() {
    setLogSink(std::move(previous_));
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(state_->mutex);
    return state_->lines;
}

bool LogCapture::contains(std::string_view fragment) const { return count(fragment) > 0; }

std::size_t LogCapture::count(std::string_view fragment) const {
    std::lock_guard lock(state_->mutex);
    std::size_t n = 0;
    for (const auto& l : state_->lines)
        if (l.find(fragment) != std::string::npos) ++n;
    return n;
}

void LogCapture::clear() {
    std::lock_guard lock(state_->mutex);
    state_->lines.clear();
}

}  // namespace platform
