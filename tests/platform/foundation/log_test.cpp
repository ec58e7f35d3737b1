#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "vistrel/platform/foundation/log.hpp"

TEST(LogTest, CaptureCollectsLinesFromAnyThread) {
    platform::LogCapture capture;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] {
            for (int j = 0; j < 50; ++j) platform::log("worker :: line");
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(capture.count("worker :: line"), 200u);
}

// Control characters are neutralised; plain runs around them, and UTF-8, stay.
TEST(LogTest, EscapingNeutralisesControlCharacters) {
    for (auto [text, escaped] : std::vector<std::pair<std::string, std::string>>{
             {"a\nb\r\tc\\d\x01\x7f", "a\\nb\\r\\tc\\\\d\\x01\\x7f"}, {"caf\xc3\xa9", "caf\xc3\xa9"},
             {"", ""}, {"plain", "plain"}, {"\n", "\\n"}, {"\\ab\x1f", "\\\\ab\\x1f"},
             {"a\xc2\x85" "b\xc2\x9b" "1m\xc2\x80", "a\\u0085b\\u009b1m\\u0080"},
             {"\xc2\xa0\xc2\xa9\xc2", "\xc2\xa0\xc2\xa9\xc2"}})
        EXPECT_EQ(platform::escapeControlCharacters(text), escaped) << text;
}

// An excerpt (here of 6 bytes and 2 lines at most): whole lines while they fit, a line cut
// between characters, then what was left out; a text that fits has no such note.
TEST(LogTest, ExcerptKeepsTheStartAndCountsTheRest) {
    using Lines = std::vector<std::string>;
    for (auto [text, lines] : std::vector<std::pair<std::string, Lines>>{
             {"a\nb", {"a", "b"}},
             {"x\x1b\n", {"x\\x1b", ""}},
             {"a\nb\nc\nd", {"a", "b", "[left out: 3 bytes in 2 lines]"}},
             {"abcdefghij\nk", {"abcdef", "[left out: 6 bytes in 2 lines]"}},
             {"abcde\xc3\xa9", {"abcde", "[left out: 2 bytes in 1 lines]"}},
             // Ending exactly at the bounds leaves nothing out: no note.
             {"a\nb\n", {"a", "b"}},
             {"abcdef", {"abcdef"}},
             {"abcd\nx", {"abcd", "x"}},
             {"abcde\n", {"abcde"}}}) {
        platform::LogCapture capture;
        platform::logExcerpt(text, 6, 2);
        EXPECT_EQ(capture.lines(), lines) << text;
    }
}

// A text from outside inside a line of its own is cut as the log cuts a text.
TEST(LogTest, AnExcerptOnOneLineIsEscapedAndCut) {
    EXPECT_EQ(platform::excerptOnOneLine("Opening hours\n9:00\x1b"), "Opening hours\\n9:00\\x1b");
    const std::string line = platform::excerptOnOneLine(std::string(4u << 20, 'a'));
    EXPECT_TRUE(line.size() < 5000 && line.starts_with("aaaa") && line.ends_with(" bytes in 1 lines]")) << line.size();
}

TEST(LogTest, DiscardSinkSilencesTheLogAndSaysSo) {
    platform::LogCapture capture;
    EXPECT_TRUE(platform::isLogging());
    platform::LogSink listening = platform::setLogSink(platform::discardLine);
    EXPECT_FALSE(platform::isLogging());
    platform::log("dropped");
    // A sink that happens to drop its lines still listens: only discardLine says otherwise.
    platform::setLogSink([](std::string_view) {});
    EXPECT_TRUE(platform::isLogging());
    // The discard sink handed back by setLogSink and installed again still discards.
    platform::setLogSink(platform::discardLine);
    platform::LogSink handedBack = platform::setLogSink({});
    EXPECT_TRUE(platform::isLogging());
    platform::setLogSink(std::move(handedBack));
    EXPECT_FALSE(platform::isLogging());
    platform::setLogSink(std::move(listening));
    EXPECT_TRUE(platform::isLogging());
    platform::log("kept");
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"kept"});
}
