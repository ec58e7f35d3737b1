#pragma once
// How the demo shows the kit's log: every line on its output with the prefix "  [kit] ",
// except a JSON document the kit prints line by line (an answer, say), which shows as one
// line saying how long it was. No line of the kit is ever hidden for good: a document
// ends at its closing bracket, or at the line where the kit's excerpt says what it left
// out (platform::logExcerpt), and one that goes on longer than any excerpt could is shown
// as it came; an unindented line meanwhile is no line of the document and shows at once.
// Lines may come from any thread.
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class DemoLog {
public:
    // More lines than an excerpt of the kit prints (40, and its cut line): a "document"
    // that long is no excerpt, and its lines are shown after all.
    static constexpr std::size_t maxDocumentLines = 64;

    explicit DemoLog(std::ostream& out) : out_(out) {}

    // One line of the kit's log.
    void line(std::string_view text);
    // Shows what a document under way has held back, as it came (at the end of the run).
    void flush();

private:
    void showHeld();

    std::mutex mutex_;
    std::ostream& out_;
    std::vector<std::string> held_;  // the lines of the document under way, "{" or "[" first
};
