#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "vistrel/platform/foundation/value.hpp"

using platform::Array;
using platform::Dictionary;
using platform::Number;
using platform::Value;

TEST(NumberTest, EqualityAcrossKindsKeepsBooleansApart) {
    EXPECT_EQ(Number::fromInt(1), Number::fromUInt(1));
    EXPECT_EQ(Number::fromInt(2), Number::fromDouble(2.0));
    EXPECT_FALSE(Number::fromInt(-1) == Number::fromUInt(UINT64_MAX));
    EXPECT_FALSE(Number::fromBool(true) == Number::fromInt(1));
    EXPECT_FALSE(Number::fromInt(0) == Number::fromBool(false));
    EXPECT_EQ(Number::fromBool(true), Number::fromBool(true));
}

TEST(ValueTest, TextLiteralIsText) { EXPECT_EQ(*Value("abc").string(), "abc"); }

TEST(DictionaryTest, SortedUniqueKeysLastOneWins) {
    Dictionary d({{"b", Value("1")}, {"a", Value("2")}, {"b", Value("3")}});
    d.set("c", Value("4"));
    d.set("a", Value("5"));
    EXPECT_EQ(std::tuple(d.size(), d.begin()->first, *d.find("a")->string(), *d.find("b")->string()),
              std::tuple(3u, "a", "5", "3"));
    EXPECT_TRUE(d.erase("c"));
    EXPECT_FALSE(d.erase("c"));
    EXPECT_EQ(d.find("zz"), nullptr);
}

TEST(ValueTest, DeepEqualityComparesContents) {
    auto make = [](const char* leaf) {
        return Value(Dictionary({{"list", Value(Array{Value(Number::fromInt(1)), Value(leaf)})}}));
    };
    EXPECT_EQ(make("a"), make("a"));
    EXPECT_FALSE(make("a") == make("b"));
    EXPECT_FALSE(Value(Array{}) == Value(Dictionary{}));
    EXPECT_FALSE(Value(platform::Bytes{1}) == Value(platform::Bytes{2}));
}

// Hostile nesting must neither overflow the stack when compared nor when destroyed.
TEST(ValueTest, VeryDeepNestingIsComparedAndDestroyedWithoutRecursion) {
    constexpr int depth = 200000;
    auto build = [] {
        Value v("leaf");
        for (int i = 0; i < depth; ++i) v = Value(Array{std::move(v)});
        return v;
    };
    Value a = build();
    Value b = build();
    EXPECT_EQ(a, b);
    Value d("leaf");
    for (int i = 0; i < depth; ++i) d = Value(Dictionary({{"k", std::move(d)}}));
}

// Copies share storage until written. A copy read and dropped on another thread, then
// the original written in place: the drop must happen before the write, with no lock
// between them (ThreadSanitizer reports the race otherwise). Copies written on several
// threads at once stay apart.
TEST(ValueTest, CopiesSharedAcrossThreadsAreWrittenSafely) {
    for (int round = 0; round < 20; ++round) {
        Value v(Array{Value("a"), Value(Dictionary({{"k", Value("v")}}))});
        std::atomic<bool> dropped{false};
        std::size_t seen = 0;
        std::thread reader([copy = v, &dropped, &seen]() mutable {
            seen = copy.array()->front().string()->size();
            copy = Value();
            dropped.store(true, std::memory_order_relaxed);
        });
        while (!dropped.load(std::memory_order_relaxed)) std::this_thread::yield();
        const Array* before = v.array();
        v.mutableArray()->front() = Value("bb");
        EXPECT_EQ(v.array(), before);  // the sole owner writes in place
        EXPECT_EQ(Value(v).array(), before);
        reader.join();
        EXPECT_EQ(seen, 1u);

        std::vector<std::thread> writers;
        std::vector<Value> copies(4, v);
        for (std::size_t i = 0; i < copies.size(); ++i)
            writers.emplace_back([&copies, i] {
                copies[i].mutableArray()->back().mutableDictionary()->set("k", Value(std::to_string(i)));
            });
        for (auto& t : writers) t.join();
        for (std::size_t i = 0; i < copies.size(); ++i)
            EXPECT_EQ(*copies[i].array()->back().dictionary()->find("k")->string(), std::to_string(i));
        EXPECT_EQ(*v.array()->back().dictionary()->find("k")->string(), "v");
    }
}
