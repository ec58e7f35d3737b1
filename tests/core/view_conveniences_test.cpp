#include <gtest/gtest.h>

#include <cmath>

#include "vistrel/core/view_conveniences.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/view_properties.hpp"

using namespace platform::ui;

TEST(ViewConveniencesTest, CornerRadiusTurnsClippingOnExactlyAboveZero) {
    struct Case { double radius; bool clips; };
    View view;
    for (const Case& c : {Case{8, true}, Case{0, false}, Case{-3, false}, Case{NAN, false}}) {
        vistrel::setCornerRadius(view, c.radius);
        EXPECT_EQ(view.clipsToBounds(), c.clips) << c.radius;
    }
}

TEST(ViewConveniencesTest, UnknownNamesAndWrongKindsAreRefusedAndReported) {
    View view;
    platform::LogCapture capture;
    EXPECT_FALSE(valueForKey(view, "nope"));
    for (auto [name, value] : {std::pair<const char*, PropertyValue>{"cornerRadiusX", 6.0},
                               {"cornerRadius", std::string("6")}, {"borderColor", 1.0}})
        EXPECT_FALSE(setValueForKey(view, name, value)) << name;
    EXPECT_EQ(view.layer().cornerRadius(), 0);
    EXPECT_EQ(std::pair(capture.count("no property named"), capture.count("is not of the kind it takes")),
              std::pair(std::size_t{2}, std::size_t{2}));
}
