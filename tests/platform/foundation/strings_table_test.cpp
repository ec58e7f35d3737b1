#include <string>

#include <gtest/gtest.h>

#include "vistrel/platform/foundation/strings_table.hpp"

TEST(StringsTableTest, ReadsEntriesCommentsAndEscapes) {
    auto table = platform::parseStringsTable(R"(/* A block comment
   over two lines */
"plain" = "Plain text";
// a line comment
"escapes" = "a \"quoted\" word\nand a tab\there \\ \u00e9";
bare.key = "bare";
"same";   "spaced"   =   "value"  ;
"emoji" = "\UD83D\UDE00";
"last" = "wins";
"last" = "really";
)");
    EXPECT_EQ(table, (platform::StringsTable{{"plain", "Plain text"},
                                             {"escapes", "a \"quoted\" word\nand a tab\there \\ \xc3\xa9"},
                                             {"bare.key", "bare"}, {"same", "same"}, {"spaced", "value"},
                                             {"emoji", "\xf0\x9f\x98\x80"}, {"last", "really"}}));
}

TEST(StringsTableTest, ReadsUtf16WithByteOrderMark) {
    std::string text = "\"k\" = \"\xc3\xa9t\xc3\xa9\";";  // UTF-8 source of the expected text
    std::u16string wide = u"\"k\" = \"\u00e9t\u00e9\";";
    std::string little = "\xff\xfe";
    std::string big = "\xfe\xff";
    for (char16_t c : wide) {
        little += static_cast<char>(c & 0xff);
        little += static_cast<char>(c >> 8);
        big += static_cast<char>(c >> 8);
        big += static_cast<char>(c & 0xff);
    }
    for (const std::string& bytes : {little, big, std::string("\xef\xbb\xbf").append(text)}) {
        EXPECT_EQ(platform::parseStringsTable(bytes), (platform::StringsTable{{"k", "\xc3\xa9t\xc3\xa9"}}));
    }
}

TEST(StringsTableTest, MalformedTablesAreRefused) {
    for (const char* bad : {"\"a\" = \"b\"", "\"a\" \"b\";", "\"a\" = \"b;", "/* open",
                            "\"a\" = \"\\uD800\";", "= \"b\";", "\"a\" = \"\\u12\";"}) {
        EXPECT_FALSE(platform::parseStringsTable(bad)) << bad;
    }
    EXPECT_EQ(platform::parseStringsTable("  /* nothing */ "), platform::StringsTable{});
}
