#include <regex>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/foundation/random.hpp"

TEST(RandomTest, UuidsAreVersionFourUpperCaseAndDistinct) {
    const std::regex form("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string id = platform::makeUuidString();
        EXPECT_EQ(id.size(), 36u);
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(RandomTest, UniformStaysInRangeAndCoversIt) {
    EXPECT_EQ(platform::randomUniform(0), 0u);
    EXPECT_EQ(platform::randomUniform(1), 0u);
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < 3000; ++i) {
        auto x = platform::randomUniform(3);
        ASSERT_LT(x, 3u);
        ++counts[x];
    }
    for (int c : counts) EXPECT_GT(c, 700);  // each third, far from a fluke
}
