#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/map_item.hpp"
#include "vistrel/platform/ui/application.hpp"

using namespace platform::services;

TEST(MapItem, TheNameIsPercentEncodedInTheMapAddress) {
    const Coordinate c{48.8584, -2.2945};
    const struct {
        std::optional<std::string> name;
        std::string address;
    } cases[] = {
        {"Eiffel Tower", "maps:?ll=48.8584,-2.2945&q=Eiffel%20Tower"},
        {"Fish & Chips=1+2#3", "maps:?ll=48.8584,-2.2945&q=Fish%20%26%20Chips%3D1%2B2%233"},
        {"Café Zürich", "maps:?ll=48.8584,-2.2945&q=Caf%C3%A9%20Z%C3%BCrich"},
        {"", "maps:?ll=48.8584,-2.2945"},
        {std::nullopt, "maps:?ll=48.8584,-2.2945"},
    };
    for (const auto& t : cases) EXPECT_EQ(MapItem(c, t.name).mapAddress(), t.address) << t.address;
}

TEST(MapItem, TheRegionAndSpanGoIntoTheAddressAndInvalidPlacesAreRefused) {
    const auto region = coordinateRegionWithDistance({0, 10}, 5, 5);
    EXPECT_NEAR(region.span.latitudeDelta, 5 / 111194.9, 1e-9);
    EXPECT_NEAR(region.span.longitudeDelta, region.span.latitudeDelta, 1e-9);  // at the equator
    EXPECT_EQ(coordinateRegionWithDistance({60, 0}, -3, NAN).span, (CoordinateSpan{0, 0}));
    EXPECT_NEAR(coordinateRegionWithDistance({60, 0}, 0, 1000).span.longitudeDelta, 2 * 1000 / 111194.9, 1e-6);

    MapItem item({1.5, 2}, "Pin");
    EXPECT_EQ(item.mapAddress({region.center, region.span}), "maps:?ll=0,10&q=Pin&spn=0.000045,0.000045");

    platform::LogCapture log;
    EXPECT_EQ(MapItem({91, 0}).mapAddress(), std::nullopt);
    EXPECT_EQ(MapItem({NAN, 0}).mapAddress(), std::nullopt);
    EXPECT_EQ(item.mapAddress({std::nullopt, CoordinateSpan{-1, 0}}), std::nullopt);

    auto& app = platform::ui::Application::shared();
    app.clearOpenedURLs();
    EXPECT_TRUE(MapItem({-33.8688, 151.2093}, "Opera House").openInMaps());
    EXPECT_FALSE(MapItem({0, 181}).openInMaps());
    EXPECT_EQ(app.openedURLs(), std::vector<std::string>{"maps:?ll=-33.8688,151.2093&q=Opera%20House"});
}
