#include "vistrel/platform/foundation/log.hpp"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include "vistrel/platform/foundation/utf_encodings.hpp"

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
// Set with the sink, read without the lock: asking costs one load.
std::atomic<bool> discarding{false};

bool isDiscardSink(const LogSink& sink) {
    using Function = void (*)(std::string_view);
    const Function* target = sink.target<Function>();
    return target && *target == &discardLine;
}
}  // namespace

void discardLine(std::string_view) {}

bool isLogging() { return !discarding.load(std::memory_order_relaxed); }

void log(std::string_view line) {
    if (!isLogging()) return;
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
    discarding.store(isDiscardSink(sink), std::memory_order_relaxed);
    current = sink ? std::make_shared<LogSink>(std::move(sink)) : nullptr;
    return previous;
}

std::string escapeControlCharacters(std::string_view text) {
    static const char* hex = "0123456789abcdef";
    auto needsEscape = [](unsigned char c) { return c < 0x20 || c == 0x7f || c == '\\'; };
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // A C1 control (U+0080 to U+009F, C2 80 to C2 9F in UTF-8) is a control as much as
        // a C0 one: "next line" and the terminal's escape among them. Written as \u0085.
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out.append(text, copied, i - copied);
            out += "\\u00";
            out += hex[next >> 4];
            out += hex[next & 0xf];
            copied = i + 2;
            ++i;
            continue;
        }
        if (!needsEscape(c)) continue;
        // Plain runs go in whole; only the character to escape is handled alone.
        out.append(text, copied, i - copied);
        copied = i + 1;
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xf];
        }
    }
    out.append(text, copied, text.size() - copied);
    return out;
}

Excerpt excerpt(std::string_view text, std::size_t maxBytes, std::size_t maxLines) {
    Excerpt excerpt{{}, text};
    std::string_view& rest = excerpt.rest;
    std::size_t bytes = 0;
    for (std::size_t lines = 0; lines < maxLines && bytes < maxBytes; ++lines) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (line.size() > maxBytes - bytes) {
            const std::size_t cut = utf8CharacterStart(line, maxBytes - bytes);  // not inside a character
            excerpt.lines.push_back(line.substr(0, cut));
            rest.remove_prefix(cut);
            break;
        }
        excerpt.lines.push_back(line);
        if (end == std::string_view::npos) {
            rest = {};
            break;
        }
        bytes += end + 1;
        rest.remove_prefix(end + 1);
    }
    return excerpt;
}

std::string leftOutNote(std::string_view rest) {
    // The text ended exactly at the bounds: nothing was left out, and nothing is said.
    if (rest.empty()) return {};
    const auto lines = static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\n')) + 1;
    return "[left out: " + std::to_string(rest.size()) + " bytes in " + std::to_string(lines) + " lines]";
}

void logExcerpt(std::string_view text, std::size_t maxBytes, std::size_t maxLines) {
    const Excerpt shown = excerpt(text, maxBytes, maxLines);
    for (std::string_view line : shown.lines) log(escapeControlCharacters(line));
    if (!shown.rest.empty()) log(leftOutNote(shown.rest));
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

std::string excerptOnOneLine(std::string_view text, std::size_t maxBytes, std::size_t maxLines) {
    const Excerpt shown = excerpt(text, maxBytes, maxLines);
    std::string line;
    for (std::size_t i = 0; i < shown.lines.size(); ++i)
        line.append(i ? "\\n" : "").append(escapeControlCharacters(shown.lines[i]));
    if (!shown.rest.empty()) line.append(" ").append(leftOutNote(shown.rest));
    return line;
}

}  // namespace platform
