// Property: random values written as text and read back are equal, in every writer.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/json/json.hpp"

namespace vistrel {
namespace {

class RandomValues {
public:
    explicit RandomValues(unsigned seed) : rng_(seed) {}

    platform::Value document() {
        return pick(2) ? platform::Value(array(0)) : platform::Value(object(0));
    }

private:
    std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }

    std::string text() {
        static const std::vector<std::string> pieces = {
            "a", "Z", "0", " ", "\"", "\\", "/", "\n", "\t", std::string(1, '\x01'),
            std::string(1, '\0'), "\x7f", "é", "€", "😀", "\u2028", "{", "]", ":", ","};
        std::string s;
        for (std::size_t n = pick(8); n > 0; --n) s += pieces[pick(pieces.size())];
        return s;
    }

    platform::Number number() {
        switch (pick(6)) {
        case 0: return platform::Number::fromInt(static_cast<std::int64_t>(rng_()));
        case 1: return platform::Number::fromInt(-static_cast<std::int64_t>(pick(1000)));
        case 2: return platform::Number::fromUInt(rng_() | (1ull << 63));
        case 3: return platform::Number::fromBool(pick(2) == 1);
        case 4: {
            double d = std::ldexp(static_cast<double>(rng_() >> 11), static_cast<int>(pick(200)) - 100);
            return platform::Number::fromDouble(pick(2) ? d : -d);
        }
        default: return platform::Number::fromDouble(static_cast<double>(pick(100000)) / 8.0);
        }
    }

    platform::Value value(int depth) {
        std::size_t kinds = depth < 6 ? 6 : 3;
        switch (pick(kinds)) {
        case 0: return platform::Value();
        case 1: return number();
        case 2: return text();
        case 3: return array(depth + 1);
        case 4: return object(depth + 1);
        default: return number();
        }
    }

    platform::Array array(int depth) {
        platform::Array a;
        for (std::size_t n = pick(5); n > 0; --n) a.push_back(value(depth));
        return a;
    }

    platform::Dictionary object(int depth) {
        platform::Dictionary d;
        for (std::size_t n = pick(5); n > 0; --n) d.set(text(), value(depth));
        return d;
    }

    std::mt19937_64 rng_;
};

TEST(JsonRoundTrip, RandomValuesReadBackEqual) {
    RandomValues random(20240611);
    const WritingOptionsMap memberByMember{{writingOptionsKeys::castNilToNSNull, true},
                                           {writingOptionsKeys::maxObjextDepth, 64}};
    for (int i = 0; i < 500; ++i) {
        JSON original(random.document());
        auto compact = original.rawData();
        ASSERT_TRUE(compact) << i;
        EXPECT_EQ(JSON::fromData(*compact), original) << *compact;
        auto pretty = original.rawString();
        ASSERT_TRUE(pretty) << i;
        EXPECT_EQ(JSON::parseJSON(*pretty), original) << *pretty;
        auto members = original.rawString(memberByMember);
        ASSERT_TRUE(members) << i;
        EXPECT_EQ(JSON::parseJSON(*members), original) << *members;
        // Writing what was read gives the same text again.
        EXPECT_EQ(JSON::fromData(*compact).rawData(), compact);
    }
}

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(VISTREL_TEST_DATA) + "/json/" + name, std::ios::binary);
    EXPECT_TRUE(in) << "missing fixture " << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(JsonRoundTrip, FixtureFilesReadBackEqual) {
    for (const char* name : {"answer.json", "mixed.json", "string.json", "numbers.json"}) {
        JSON original = JSON::fromData(fixture(name));
        ASSERT_NE(original.type(), Type::null) << name;
        JSON wrapped = JSON::arrayLiteral({original});  // a document even for fragments
        auto text = wrapped.rawData();
        ASSERT_TRUE(text) << name;
        EXPECT_EQ(JSON::fromData(*text)[0], original) << name;
    }
}

}  // namespace
}  // namespace vistrel
