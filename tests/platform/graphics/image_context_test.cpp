#include "vistrel/platform/graphics/image_context.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vistrel/platform/graphics/path.hpp"

using namespace platform::graphics;

TEST(ImageContextTest, ScaleZeroMeansTheScreensScale) {
    {
        ImageContext context({10, 5}, false, 0);
        context.canvas().fill(Rect(0, 0, 5, 5), Color::red());
        auto image = context.image();
        ASSERT_TRUE(image);
        EXPECT_EQ(std::tuple(image->scale(), image->size(), image->pixelWidth()), std::tuple(2.0, Size{10, 5}, 20));
        EXPECT_EQ(std::pair(image->bitmap().pixel(9, 9), image->bitmap().pixel(10, 0)),
                  std::pair(Color::red(), Color::clear()));
    }
    EXPECT_EQ(ImageContext({2, 2}, true, 1).image()->bitmap().pixel(1, 1), Color::black());  // opaque starts black
    setDefaultScale(3);
    setDefaultScale(-1);  // ignored
    setDefaultScale(std::nan(""));
    EXPECT_EQ(defaultScale(), 3);
    EXPECT_EQ(ImageContext({1, 1}, false).image()->pixelWidth(), 3);
    setDefaultScale(2);
}

TEST(ImageContextTest, RefusesSizesAndScalesItCannotHonour) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<Size, double>> refused = {
        {{0, 10}, 1}, {{10, 0}, 1}, {{-5, 10}, 1}, {{std::nan(""), 10}, 1}, {{10, inf}, 1},
        {{4097, 1}, 1}, {{1, 1e12}, 1}, {{10, 10}, -1}, {{10, 10}, 5}, {{10, 10}, inf},
    };
    for (const auto& [size, scale] : refused) {
        ImageContext context(size, false, scale);
        EXPECT_FALSE(context.isValid()) << size.width << " x " << size.height << " @" << scale;
        context.canvas().fill(Rect(0, 0, 10, 10), Color::red());  // draws nothing, harmlessly
        EXPECT_FALSE(context.image());
    }
    ImageContext largest({4096, 1}, false, 1);
    EXPECT_TRUE(largest.isValid());
}

// The edges of a box (min x, min y, max x, max y), to rounding.
void expectEdges(const Rect& box, const std::vector<double>& edges) {
    const double actual[] = {box.minX(), box.minY(), box.maxX(), box.maxY()};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], edges[i], 1e-9) << i;
}

TEST(PathTest, BoundingBoxFollowsArcs) {
    Path empty;
    EXPECT_EQ(empty.boundingBox(), Rect());

    Path quarter;  // from 0 to pi/2 clockwise (downwards with y down): the lower-right quarter
    quarter.addArc({0, 0}, 10, 0, M_PI / 2, true);
    expectEdges(quarter.boundingBox(), {0, 0, 10, 10});

    Path rest;  // the same ends the other way round: three quarters
    rest.addArc({0, 0}, 10, 0, M_PI / 2, false);
    expectEdges(rest.boundingBox(), {-10, -10, 10, 10});
}
