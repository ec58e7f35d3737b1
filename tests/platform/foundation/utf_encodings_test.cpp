#include "vistrel/platform/foundation/utf_encodings.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(Utf8CharacterStartTest, ACutNeverSplitsACharacterAndStaysWhereTextIsNoUtf8) {
    const std::string mixed = "a\xc3\xa9" "b\xe2\x82\xac" "c\xf0\x9f\x98\x80";  // a é b € c 😀
    struct Row {
        const char* what;
        std::string text;
        std::size_t at, floor, expected;
    } rows[] = {
        {"a character's start", mixed, 1, 0, 1},
        {"inside a two-byte character", mixed, 2, 0, 1},
        {"inside a three-byte character", mixed, 6, 0, 4},
        {"the last byte of a four-byte character", mixed, 11, 0, 8},
        {"the floor stops the way back", mixed, 11, 9, 11},
        {"the floor at the character's start", mixed, 11, 8, 8},
        {"at the text's end", mixed, mixed.size(), 0, mixed.size()},
        {"past the text's end", mixed, 40, 0, 40},
        {"continuation bytes with no start within four", "ab\x80\x80\x80\x80\x80"s, 6, 0, 6},
        {"a lone continuation byte at the start", "\x80\x80"s, 1, 0, 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(platform::utf8CharacterStart(row.text, row.at, row.floor), row.expected) << row.what;
}

}  // namespace
