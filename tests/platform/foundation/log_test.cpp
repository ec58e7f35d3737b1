#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/foundation/log.hpp"

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

TEST(LogTest, EscapingNeutralisesControlCharacters) {
    EXPECT_EQ(platform::escapeControlCharacters("a\nb\r\tc\\d\x01\x7f"), "a\\nb\\r\\tc\\\\d\\x01\\x7f");
    EXPECT_EQ(platform::escapeControlCharacters("caf\xc3\xa9"), "caf\xc3\xa9");
}

TEST(LogTest, EscapingKeepsPlainRunsAroundEscapes) {
    EXPECT_EQ(platform::escapeControlCharacters(""), "");
    EXPECT_EQ(platform::escapeControlCharacters("plain"), "plain");
    EXPECT_EQ(platform::escapeControlCharacters("\n"), "\\n");
    EXPECT_EQ(platform::escapeControlCharacters("\\ab\x1f"), "\\\\ab\\x1f");
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
