#include <set>
#include <string>

#include <gtest/gtest.h>

#include "support/uuid_form.hpp"
#include "vistrel/platform/foundation/random.hpp"

TEST(RandomTest, UuidsAreVersionFourUpperCaseAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string id = platform::makeUuidString();
        EXPECT_TRUE(testsupport::isUpperCaseUuidV4(id)) << id;
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
