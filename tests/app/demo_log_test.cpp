// The demo's reading of the kit's log: a JSON document shows as one line, and no line the
// kit logs after one is lost, whether the document closes, is cut by the kit's excerpt,
// or never ends; and its count of resent photos says how many failed.
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "demo_log.hpp"
#include "resend_count.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace {

// A pretty-printed document of `members` members: "{", one indented line each, "}".
std::string document(int members) {
    std::string text = "{\n";
    for (int i = 0; i < members; ++i) text += "  \"key" + std::to_string(i) + "\" : " + std::to_string(i) + ",\n";
    return text + "}";
}

// What the demo prints for these lines.
std::string shown(const std::vector<std::string>& lines, bool flush = false) {
    std::ostringstream out;
    DemoLog log(out);
    for (const auto& line : lines) log.line(line);
    if (flush) log.flush();
    return out.str();
}

TEST(DemoLogTest, ADocumentShowsAsOneLineAndNoLaterLineIsLost) {
    const struct {
        const char* name;
        std::vector<std::string> lines;
        bool flush;
        std::string out;
    } rows[] = {
        {"plain lines", {"a :: 1", "b :: 2"}, false, "  [kit] a :: 1\n  [kit] b :: 2\n"},
        {"a closed document", {"{", "  \"a\" : 1", "}", "after"}, false,
         "  [kit] (a JSON document of 3 lines)\n  [kit] after\n"},
        {"an array", {"[", "  1", "]"}, false, "  [kit] (a JSON document of 3 lines)\n"},
        {"cut by the excerpt", {"{", "  \"a\" : 1", "  \"b\" : 2", "[left out: 9 bytes in 2 lines]", "error :: late"},
         false, "  [kit] (the first 3 lines of a JSON document) [left out: 9 bytes in 2 lines]\n  [kit] error :: late\n"},
        {"another thread's line meanwhile", {"{", "  \"a\" : 1", "other :: line", "}"}, false,
         "  [kit] other :: line\n  [kit] (a JSON document of 3 lines)\n"},
        {"held at the end", {"{", "  \"a\" : 1"}, true, "  [kit] {\n  [kit]   \"a\" : 1\n"},
    };
    for (const auto& row : rows) EXPECT_EQ(shown(row.lines, row.flush), row.out) << row.name;

    // A "document" longer than any excerpt is no excerpt: its lines show after all.
    std::vector<std::string> endless{"{"};
    for (std::size_t i = 0; i < DemoLog::maxDocumentLines + 5; ++i) endless.push_back("  line");
    const std::string out = shown(endless);
    EXPECT_EQ(std::tuple(out.find("  [kit] {\n"), out.find("JSON document")), std::tuple(0u, std::string::npos));
    std::size_t count = 0;
    for (std::size_t at = out.find("[kit]   line"); at != std::string::npos; at = out.find("[kit]   line", at + 1)) ++count;
    EXPECT_EQ(count, DemoLog::maxDocumentLines + 5);
}

// As the demo runs: the kit prints a long answer through its excerpt, then logs an error;
// the error shows.
TEST(DemoLogTest, AnErrorLoggedAfterALongAnswerShows) {
    std::ostringstream out;
    auto log = std::make_shared<DemoLog>(out);
    {
        platform::LogSink previous = platform::setLogSink([log](std::string_view line) { log->line(line); });
        platform::logExcerpt(document(100));
        platform::log("Vistrel :: an error later in the run");
        platform::setLogSink(std::move(previous));
    }
    EXPECT_EQ(out.str().find("(a JSON document"), std::string::npos);
    EXPECT_NE(out.str().find("  [kit] (the first 40 lines of a JSON document) [left out: "), std::string::npos);
    EXPECT_NE(out.str().find("  [kit] Vistrel :: an error later in the run\n"), std::string::npos);
}

// The kit logs from any thread; every line arrives whole.
TEST(DemoLogTest, LinesFromManyThreadsArriveWhole) {
    std::ostringstream out;
    DemoLog log(out);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&log] {
            for (int i = 0; i < 200; ++i) log.line("worker :: line");
        });
    for (auto& thread : threads) thread.join();
    std::istringstream lines(out.str());
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);) count += line == "  [kit] worker :: line";
    EXPECT_EQ(count, 800u);
}

TEST(ResendCountTest, SaysHowManyWereRecognisedAndHowManyFailed) {
    EXPECT_EQ(describe({2, 1}), "waiting photos sent again: 2 recognised, 1 failed");
    EXPECT_EQ(describe({}), "waiting photos sent again: 0 recognised, 0 failed");
}

}  // namespace
