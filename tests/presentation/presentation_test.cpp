// The image and action view models over answer documents that carry their expectations:
// order and filtering, auto-trigger, content and addresses, colours, fonts, geometry and
// the title bar.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/answer_fixtures.hpp"
#include "presentation_fixtures.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/presentation/image_view_model.hpp"

namespace vistrel {
namespace {

using presentationtest::checkExpectations;
using presentationtest::fixtureAnswers;

class Fixtures : public presentationtest::TextFontsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(Fixtures, ValuesMeetTheirExpectations) {
    for (const JSON& answer : fixtureAnswers(GetParam())) checkExpectations(answer);
}

INSTANTIATE_TEST_SUITE_P(Answers, Fixtures,
                         ::testing::Values("presentation_order.json", "presentation_auto_trigger.json",
                                           "presentation_content.json", "presentation_colors.json",
                                           "presentation_fonts.json", "presentation_geometry.json",
                                           "presentation_title_styles.json"));

TEST(ImageViewModel, DocumentIdTakesTheNamesOfShownQrActions) {
    platform::LogCapture quiet;
    Image image = modeltest::readAnswer("presentation_order.json");
    Image qr = Image::fromQrcodeFeatures({"A", std::string("https://b.example"), "C"});
    (*qr.actions)[2].name.reset();  // a QR action without a name adds nothing
    image.actions->insert(image.actions->end(), qr.actions->begin(), qr.actions->end());
    EXPECT_EQ(ImageViewModel(image).imageDocumentId(), "doc-orderAhttps://b.example");
    qr.documentId.reset();
    EXPECT_EQ(ImageViewModel(qr).imageDocumentId(), std::nullopt);
}

TEST(ImageViewModel, PositionsOutOfRangeGiveTheAbsentResults) {
    ImageViewModel model(modeltest::readAnswer("presentation_content.json"));
    const std::intptr_t count = model.numberOfActions();
    for (std::intptr_t position : {std::intptr_t{-1}, count, std::numeric_limits<std::intptr_t>::min(),
                                   std::numeric_limits<std::intptr_t>::max()}) {
        SCOPED_TRACE(position);
        EXPECT_EQ(std::tuple(model.idForAction(position), model.typeForAction(position), model.viewModelForAction(position),
                             model.nameForAction(position), model.buttonHeightForAction(position, 343),
                             model.emailSubjectForAction(position), model.urlForAction(position)),
                  std::tuple(std::nullopt, ActionType::Unknown, nullptr, std::nullopt, 50.0, "", std::nullopt));
    }
    EXPECT_EQ(model.typeForAction(count - 1), ActionType::Text);
}

TEST(ImageViewModel, RowHeightForAnUnusableWidthStaysInRange) {
    ImageViewModel model(modeltest::readAnswer("presentation_geometry.json"));
    const std::intptr_t ratio = 2;  // "16x9"
    ASSERT_EQ(model.idForAction(ratio), "ratio-16x9");
    EXPECT_EQ(std::tuple(model.buttonHeightForAction(ratio, -10), model.buttonHeightForAction(ratio, std::nan("")),
                         model.buttonHeightForAction(ratio, std::numeric_limits<double>::infinity())),
              std::tuple(0.0, 0.0, 10000.0));
}

TEST(ActionViewModel, NotANumberOpacityCountsAsAbsent) {
    ActionViewModel row(Action{.style = Style{.button = Button{.backgroundColor = "#FF0000", .opacity = std::nanf("")},
                                              .text = Text{.color = "#FF0000", .opacity = std::nanf("")}}});
    EXPECT_EQ(std::tuple(row.textColor(), row.buttonBackgroundColor()),
              std::tuple(platform::graphics::Color::white(), platform::graphics::Color{0, 0, 0, 0.6}));
}

}  // namespace
}  // namespace vistrel
