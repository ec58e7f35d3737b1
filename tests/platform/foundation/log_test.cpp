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
