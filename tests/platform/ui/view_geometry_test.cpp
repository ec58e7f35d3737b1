#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/ui/view.hpp"
#include "platform/ui/window.hpp"

using namespace platform::ui;

namespace {

void expectRect(const Rect& actual, const Rect& expected) {
    EXPECT_NEAR(actual.minX(), expected.minX(), 1e-9);
    EXPECT_NEAR(actual.minY(), expected.minY(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

void expectPoint(Point actual, Point expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

}  // namespace

TEST(ViewGeometryTest, FrameUnderATransformIsTheTransformedBoundsAboutTheCentre) {
    View v(Rect{0, 0, 100, 50});
    v.setTransform(AffineTransform::scale(2, 2));
    expectRect(v.frame(), {-50, -25, 200, 100});
    expectRect(v.bounds(), {0, 0, 100, 50});
    EXPECT_EQ(v.layer().transform(), AffineTransform::scale(2, 2));  // one value

    v.setTransform(AffineTransform::rotation(std::numbers::pi / 2));
    expectRect(v.frame(), {25, -25, 50, 100});
}

TEST(ViewGeometryTest, SettingAFrameUnderATransformSetsCentreAndBoundsAndKeepsIt) {
    View v(Rect{0, 0, 10, 10});
    v.setTransform(AffineTransform::scale(2, 4));
    v.setFrame({100, 100, 40, 40});
    expectPoint(v.center(), {120, 120});
    expectRect(v.bounds(), {0, 0, 20, 10});
    expectRect(v.frame(), {100, 100, 40, 40});
    EXPECT_EQ(v.transform(), AffineTransform::scale(2, 4));

    v.setTransform(AffineTransform::rotation(std::numbers::pi / 2));
    v.setFrame({0, 0, 30, 60});
    expectRect(v.bounds(), {0, 0, 60, 30});
    expectRect(v.frame(), {0, 0, 30, 60});

    // A flat transform cannot say what bounds would fill the frame: the size stays.
    v.setTransform(AffineTransform::scale(0, 1));
    v.setFrame({0, 0, 8, 8});
    expectRect(v.bounds(), {0, 0, 60, 30});
    expectPoint(v.center(), {4, 4});
}

TEST(ViewGeometryTest, PointsAndRectsConvertThroughTransformsAndWindows) {
    auto window = std::make_shared<Window>(Rect{0, 0, 300, 300});
    auto outer = std::make_shared<View>(Rect{100, 100, 100, 100});
    auto inner = std::make_shared<View>(Rect{10, 10, 20, 20});
    window->addSubview(outer);
    outer->addSubview(inner);
    outer->setTransform(AffineTransform::scale(2, 2));  // outer now spans 50...250

    expectPoint(inner->convertPoint({0, 0}, nullptr), {70, 70});
    expectPoint(inner->convertPointFrom({70, 70}, nullptr), {0, 0});
    expectRect(inner->convertRect(inner->bounds(), window.get()), {70, 70, 40, 40});

    // A sibling tree: conversion goes through the common ancestor.
    auto other = std::make_shared<View>(Rect{0, 200, 50, 50});
    window->addSubview(other);
    expectPoint(inner->convertPoint({0, 0}, other.get()), {70, -130});

    // A scroll-like bounds origin shifts what lies under a point.
    outer->setBounds({0, 50, 100, 100});
    expectPoint(inner->convertPoint({0, 0}, nullptr), {70, -30});
}

TEST(ViewGeometryTest, ConvertingIntoAFlattenedViewGivesNoNumber) {
    auto parent = std::make_shared<View>(Rect{0, 0, 100, 100});
    auto flat = std::make_shared<View>(Rect{0, 0, 10, 10});
    parent->addSubview(flat);
    flat->setTransform(AffineTransform::scale(0, 0));
    Point p = parent->convertPoint({5, 5}, flat.get());
    EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y));
}
