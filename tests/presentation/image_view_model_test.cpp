// The image view model's list: filtering, order, auto-trigger, identity, lookups by
// position and row heights, over answer documents.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "presentation/action_view_model.hpp"
#include "presentation/image_view_model.hpp"
#include "presentation_fixtures.hpp"

namespace vistrel {
namespace {

using modeltest::readAnswer;
using presentationtest::positionOf;
using presentationtest::readAnswers;

std::vector<std::string> shownIds(const ImageViewModel& model) {
    std::vector<std::string> ids;
    for (std::intptr_t i = 0; i < model.numberOfActions(); ++i) ids.push_back(model.idForAction(i).value_or("?"));
    return ids;
}

// Keys are "Order" - 100 x "Priority". The extreme keys overflow 64 bits; a missing or
// non-numeric value counts as 0; the fifteen tie-NN and the other key-0 actions keep
// the answer's order.
TEST(ImageViewModelOrder, SortsByKeyAndKeepsTies) {
    std::vector<std::string> ties = {"tie-missing-both", "tie-o100-p1", "tie-only-priority-text", "tie-o0-p0",
                                     "tie-om200-pm2"};
    for (int i = 1; i <= 15; ++i) ties.push_back((i < 10 ? "tie-0" : "tie-") + std::to_string(i));
    auto expected = [&](bool withData) {
        std::vector<std::string> ids = {"min-key"};
        if (withData) ids.push_back("data-with-content");
        ids.push_back("p1-o0");
        ids.insert(ids.end(), ties.begin(), ties.end());
        for (const char* id : {"o3-no-priority", "data-without-content", "p0-o5", "o5-again", "p-1-no-order",
                               "saturated-order", "max-key"})
            ids.push_back(id);
        return ids;
    };
    Image image = readAnswer("presentation_order.json");
    EXPECT_EQ(shownIds(ImageViewModel(image)), expected(false));
    EXPECT_EQ(shownIds(ImageViewModel(image, std::nullopt)), expected(false)) << "absent filter counts as true";
    EXPECT_EQ(shownIds(ImageViewModel(image, false)), expected(true));
}

TEST(ImageViewModelOrder, AutoTriggerCountsTheFilteredList) {
    struct Case {
        const char* id;
        bool filtered, unfiltered;
        std::intptr_t count;
    };
    const std::vector<Case> cases = {
        {"one-left-after-filtering", true, false, 1}, {"flag-absent", false, false, 1},
        {"flag-false", false, false, 1},              {"no-action-list", false, false, 0},
        {"only-data", false, true, 0},                {"data-without-content", true, true, 1},
        {"two-shown", false, false, 2},               {"flag-as-text", false, false, 1},
    };
    auto images = readAnswers("presentation_auto_trigger.json");
    ASSERT_EQ(images.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ASSERT_EQ(images[i].id, cases[i].id);
        ImageViewModel filtered(images[i]);
        EXPECT_EQ(filtered.shouldAutoTrigger(), cases[i].filtered) << cases[i].id;
        EXPECT_EQ(filtered.numberOfActions(), cases[i].count) << cases[i].id;
        EXPECT_EQ(ImageViewModel(images[i], false).shouldAutoTrigger(), cases[i].unfiltered) << cases[i].id;
    }
}

TEST(ImageViewModelIdentity, DocumentIdTakesTheNamesOfShownQrActions) {
    Image image = readAnswer("presentation_order.json");
    EXPECT_EQ(ImageViewModel(image).imageDocumentId(), "doc-order");
    EXPECT_EQ(ImageViewModel(image).imageSessionId(), "s-order");
    EXPECT_EQ(ImageViewModel(image).imageName(), "Ordering");
    EXPECT_EQ(ImageViewModel(image).imageId(), "order-image");

    // QR actions sort last (key 99 000), in the order they were found; one has no name.
    platform::LogCapture quiet;
    Image qr = Image::fromQrcodeFeatures({"A", std::string("https://b.example"), "C"});
    ASSERT_TRUE(qr.actions);
    (*qr.actions)[2].name.reset();
    Image merged = image;
    merged.actions->insert(merged.actions->end(), qr.actions->begin(), qr.actions->end());
    EXPECT_EQ(ImageViewModel(merged).imageDocumentId(), "doc-orderAhttps://b.example");
    EXPECT_EQ(ImageViewModel(qr).imageDocumentId(), "CAhttps://b.example");
    qr.documentId.reset();
    EXPECT_EQ(ImageViewModel(qr).imageDocumentId(), std::nullopt);
}

TEST(ImageViewModelPositions, OutOfRangeGivesTheAbsentResults) {
    ImageViewModel model(readAnswer("presentation_content.json"));
    const std::intptr_t count = model.numberOfActions();
    ASSERT_GT(count, 0);
    for (std::intptr_t position : {std::intptr_t{-1}, count, count + 1, std::numeric_limits<std::intptr_t>::min(),
                                   std::numeric_limits<std::intptr_t>::max()}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(model.idForAction(position), std::nullopt);
        EXPECT_EQ(model.typeForAction(position), ActionType::Unknown);
        EXPECT_EQ(model.viewModelForAction(position), nullptr);
        EXPECT_EQ(model.nameForAction(position), std::nullopt);
        EXPECT_EQ(model.buttonHeightForAction(position, 343), 50.0);
        EXPECT_EQ(model.phoneNumberForAction(position), std::nullopt);
        EXPECT_EQ(model.emailSubjectForAction(position), "");
        EXPECT_EQ(model.urlForAction(position), std::nullopt);
        EXPECT_EQ(model.contentJSONForAction(position), std::nullopt);
    }
    std::intptr_t last = count - 1;
    EXPECT_EQ(model.idForAction(last), "no-content");
    EXPECT_EQ(model.typeForAction(last), ActionType::Text);
    ASSERT_NE(model.viewModelForAction(last), nullptr);
    EXPECT_EQ(model.viewModelForAction(last)->name(), "no-content");
}

TEST(ImageViewModelPositions, RowHeightsStayFiniteAndInRange) {
    struct Case {
        const char* id;
        double width;
        double height;
        bool hasRatio;
        double ratio;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {"no-style", 343, 50, false, 1.0},
        {"height-3", 343, 150, false, 1.0},
        {"ratio-16x9", 343, 343 * 0.5625, true, 0.5625},
        {"ratio-3x1", 300, 300 * static_cast<double>(1.0f / 3.0f), true, static_cast<double>(1.0f / 3.0f)},
        {"ratio-zero-width", 343, 50, false, 1.0},
        {"ratio-zero-height", 343, 50, false, 1.0},
        {"ratio-negative", 343, 50, false, 1.0},
        {"ratio-only-width", 343, 50, false, 1.0},
        {"ratio-only-height", 343, 50, false, 1.0},
        {"ratio-overflows", 343, 50, false, 1.0},
        {"ratio-vanishes", 343, 50, false, 1.0},
        {"ratio-tall", 343, 10000, true, 1000},
        {"height-0", 343, 0, false, 1.0},
        {"height-negative", 343, 0, false, 1.0},
        {"height-huge", 343, 10000, false, 1.0},
        {"ratio-16x9", -10, 0, true, 0.5625},
        {"ratio-16x9", std::nan(""), 0, true, 0.5625},
        {"ratio-16x9", inf, 10000, true, 0.5625},
    };
    ImageViewModel model(readAnswer("presentation_geometry.json"));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + " at width " + std::to_string(c.width));
        std::intptr_t position = positionOf(model, c.id);
        EXPECT_DOUBLE_EQ(model.buttonHeightForAction(position, c.width), c.height);
        auto viewModel = model.viewModelForAction(position);
        EXPECT_EQ(viewModel->buttonHasRatio(), c.hasRatio);
        EXPECT_DOUBLE_EQ(viewModel->buttonHeightRatio(), c.ratio);
    }
}

}  // namespace
}  // namespace vistrel
