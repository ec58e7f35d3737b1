#pragma once
// The log sink: plain lines, on standard error unless a sink is installed.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using LogSink = std::function<void(std::string_view line)>;

// Writes one line (no trailing newline needed). Safe from any thread.
void log(std::string_view line);

// Replaces the sink; an empty function restores standard error. Gives the previous one.
LogSink setLogSink(LogSink sink);

// The sink that drops every line: setLogSink(discardLine) silences the log, and while
// it is installed isLogging() is false.
void discardLine(std::string_view line);

// Whether logged lines go anywhere. Callers whose lines are costly to build (a whole
// document, say) ask first and skip the work when nobody listens.
bool isLogging();

// Escapes control characters (C0, DEL and C1, as control_characters.hpp has them) and
// backslash, so text from outside cannot forge lines: \n, \r, \t, \\, \x1b, \u0085.
std::string escapeControlCharacters(std::string_view text);

// The start of a text that an excerpt shows: its lines (not escaped), until `maxLines`
// lines or `maxBytes` bytes of the text are out (a line longer than what is left is cut
// at a character boundary), and the rest of the text, left out.
struct Excerpt {
    std::vector<std::string_view> lines;
    std::string_view rest;
};
Excerpt excerpt(std::string_view text, std::size_t maxBytes = 4096, std::size_t maxLines = 40);

// What an excerpt says of the rest it left out: "[left out: N bytes in M lines]"; empty
// when nothing was left out.
std::string leftOutNote(std::string_view rest);

// Logs the start of a text of many lines, such as a document from outside: one log line
// (escaped) for each line of its excerpt; then, only if some of the text is left, its
// left-out note.
void logExcerpt(std::string_view text, std::size_t maxBytes = 4096, std::size_t maxLines = 40);

// An excerpt on one line, for a text from outside inside a line of its own: its lines
// escaped and joined by an escaped line feed, then the left-out note if something was.
std::string excerptOnOneLine(std::string_view text, std::size_t maxBytes = 4096, std::size_t maxLines = 40);

// Collects every line logged while it lives (for tests).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    bool contains(std::string_view fragment) const;
    std::size_t count(std::string_view fragment) const;
    void clear();

private:
    struct State;
    std::shared_ptr<State> state_;
    LogSink previous_;
};

}  // namespace platform
