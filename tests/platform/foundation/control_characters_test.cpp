// The one rule of control characters (C0, DEL, C1 in UTF-8) as every caller meets it:
// whether a text holds one, and the text cleaned of them, one line or several.
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace {

using namespace std::string_literals;
using platform::LineBreaks;

TEST(ControlCharactersTest, OneRuleForHoldingRemovingAndKeepingLines) {
    const struct {
        std::string text;
        bool holds;
        std::string oneLine;   // LineBreaks::removed
        std::string severalLines;  // LineBreaks::kept
    } rows[] = {
        {"plain", false, "plain", "plain"},
        {"", false, "", ""},
        {"a\nb\r\tc", true, "abc", "a\nb\r\tc"},
        {"nul\0x"s, true, "nulx", "nulx"},
        {"\x01\x1b\x1f", true, "", ""},
        {"del\x7f!", true, "del!", "del!"},
        {"next\xc2\x85line", true, "nextline", "next\nline"},
        {"\xc2\x80\xc2\x9f", true, "", ""},
        // Letters whose UTF-8 shares a byte with a C1 control, or that follow C2, are no controls.
        {"caf\xc3\xa9 \xc2\xa0\xc2\xa9 \xe2\x80\x85", false, "caf\xc3\xa9 \xc2\xa0\xc2\xa9 \xe2\x80\x85",
         "caf\xc3\xa9 \xc2\xa0\xc2\xa9 \xe2\x80\x85"},
        {"cut\xc2", false, "cut\xc2", "cut\xc2"},
        {"\t\xc2\x9b[31m\n", true, "[31m", "\t[31m\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(std::tuple(platform::holdsControlCharacter(row.text), platform::withoutControlCharacters(row.text),
                             platform::withoutControlCharacters(row.text, LineBreaks::removed),
                             platform::withoutControlCharacters(row.text, LineBreaks::kept)),
                  std::tuple(row.holds, row.oneLine, row.oneLine, row.severalLines))
            << platform::escapeControlCharacters(row.text);
        // What is left holds no control character but the lines it may keep.
        EXPECT_FALSE(platform::holdsControlCharacter(platform::withoutControlCharacters(row.text)));
    }
}

}  // namespace
