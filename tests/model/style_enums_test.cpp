// The enumerations named by texts: action kinds and style positions, sizes and fonts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/action_type.hpp"
#include "model/style_enums.hpp"

namespace vistrel {
namespace {

template <typename Enum, typename FromRaw>
void expectRoundTrips(const std::vector<std::pair<Enum, std::string>>& cases, FromRaw fromRaw) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [value, raw] = cases[i];
        EXPECT_EQ(rawValue(value), raw);
        EXPECT_EQ(fromRaw(raw), value) << raw;
        std::string upper = raw;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        std::string lower = raw;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string& other : {upper, lower, " " + raw, raw + " ", raw + "s", std::string()})
            if (other != raw) {
                EXPECT_FALSE(fromRaw(other)) << "\"" << other << "\"";
            }
    }
}

TEST(StyleEnums, RawValuesMatchWholeAndCaseSensitively) {
    expectRoundTrips<ActionType>({{ActionType::Calendar, "CALENDAR"},
                                  {ActionType::Url, "URL"},
                                  {ActionType::VCard, "VCARD"},
                                  {ActionType::Share, "SHARE"},
                                  {ActionType::Email, "EMAIL"},
                                  {ActionType::Data, "DATA"},
                                  {ActionType::Sms, "SMS"},
                                  {ActionType::Map, "MAP"},
                                  {ActionType::Phone, "PHONE"},
                                  {ActionType::Text, "TEXT"},
                                  {ActionType::Unknown, "UNKNOWN"}},
                                 actionTypeFromRawValue);
    expectRoundTrips<ImageSize>({{ImageSize::cover, "cover"}, {ImageSize::contain, "contain"}},
                                imageSizeFromRawValue);
    expectRoundTrips<VerticalPosition>(
        {{VerticalPosition::top, "top"}, {VerticalPosition::bottom, "bottom"}, {VerticalPosition::center, "middle"}},
        verticalPositionFromRawValue);
    expectRoundTrips<HorizontalPosition>({{HorizontalPosition::left, "left"},
                                          {HorizontalPosition::right, "right"},
                                          {HorizontalPosition::center, "center"}},
                                         horizontalPositionFromRawValue);
    expectRoundTrips<FontWeight>({{FontWeight::normal, "normal"}, {FontWeight::bold, "bold"}},
                                 fontWeightFromRawValue);
    expectRoundTrips<FontStyle>({{FontStyle::normal, "normal"}, {FontStyle::italic, "italic"}},
                                fontStyleFromRawValue);
    // The vertical centre is "middle"; "center" is only the horizontal one.
    EXPECT_FALSE(verticalPositionFromRawValue("center"));
    EXPECT_FALSE(horizontalPositionFromRawValue("middle"));
}

}  // namespace
}  // namespace vistrel
