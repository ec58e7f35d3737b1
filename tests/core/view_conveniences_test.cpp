#include <gtest/gtest.h>

#include <cmath>

#include "core/view_conveniences.hpp"
#include "platform/foundation/log.hpp"
#include "platform/ui/label.hpp"
#include "platform/ui/view.hpp"
#include "platform/ui/view_properties.hpp"

using namespace platform::ui;

TEST(ViewConveniencesTest, CornerRadiusTurnsClippingOnExactlyAboveZero) {
    struct Case { double radius; bool clips; };
    View view;
    for (const Case& c : {Case{0, false}, Case{8, true}, Case{0, false}, Case{-3, false}, Case{NAN, false}}) {
        vistrel::setCornerRadius(view, c.radius);
        if (std::isnan(c.radius)) {
            EXPECT_TRUE(std::isnan(vistrel::cornerRadius(view)));
        } else {
            EXPECT_EQ(view.layer().cornerRadius(), c.radius);  // stored as given, negative too
            EXPECT_EQ(vistrel::cornerRadius(view), c.radius);
        }
        EXPECT_EQ(view.clipsToBounds(), c.clips) << c.radius;
    }
}

TEST(ViewConveniencesTest, ThePropertiesCanBeSetAndReadByNameOnAnyView) {
    Label label;  // a subclass has them too
    EXPECT_TRUE(setValueForKey(label, "cornerRadius", 6.0));
    EXPECT_TRUE(label.clipsToBounds());
    EXPECT_TRUE(setValueForKey(label, "borderWidth", 1.0));
    EXPECT_TRUE(setValueForKey(label, "borderColor", Color::blue()));
    EXPECT_EQ(valueForKey(label, "cornerRadius"), PropertyValue(6.0));
    EXPECT_TRUE(setValueForKey(label, "borderColor", std::monostate{}));
    EXPECT_EQ(valueForKey(label, "borderColor"), PropertyValue(std::monostate{}));
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
