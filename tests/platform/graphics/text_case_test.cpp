#include <gtest/gtest.h>

#include "vistrel/platform/graphics/text_case.hpp"

TEST(TextCase, UpperCasesByUnicode) {
    const std::pair<std::string, std::string> rows[] = {
        {"Récents", "RÉCENTS"}, {"Non envoyés", "NON ENVOYÉS"}, {"straße", "STRASSE"}, {"", ""},
        {std::string("a\xFF" "b"), std::string("A\xFF" "B")},  // not UTF-8: the byte stays
    };
    for (const auto& [text, upper] : rows) EXPECT_EQ(platform::graphics::uppercased(text), upper);
}
