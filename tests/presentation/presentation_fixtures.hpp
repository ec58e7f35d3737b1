#pragma once
// Answer documents of the presentation tests, and the kit's fonts they draw with.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/json/json.hpp"
#include "core/fonts.hpp"
#include "core/vistrel_bundle.hpp"
#include "model/answer_fixtures.hpp"
#include "platform/foundation/log.hpp"
#include "platform/graphics/color.hpp"
#include "platform/graphics/font_configuration.hpp"
#include "platform/graphics/font_registry.hpp"
#include "presentation/image_view_model.hpp"

namespace presentationtest {

// Each answer of a fixture file that holds an array of answer documents.
inline std::vector<vistrel::Image> readAnswers(std::string_view name) {
    platform::LogCapture quiet;
    std::vector<vistrel::Image> images;
    for (const vistrel::JSON& answer : vistrel::JSON::parse(modeltest::fixtureText(name)).arrayValue())
        images.push_back(vistrel::Image::fromJson(answer));
    return images;
}

// The position of the shown action with that identifier; -1 when it is not shown.
inline std::intptr_t positionOf(const vistrel::ImageViewModel& model, std::string_view id) {
    for (std::intptr_t i = 0; i < model.numberOfActions(); ++i)
        if (model.idForAction(i) == id) return i;
    ADD_FAILURE() << "no shown action " << id;
    return -1;
}

inline ::testing::AssertionResult sameColor(const platform::graphics::Color& actual,
                                             const platform::graphics::Color& expected) {
    if (actual.isClose(expected, 1e-6)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.r << ", " << actual.g << ", " << actual.b << ", "
                                         << actual.a << "), expected (" << expected.r << ", " << expected.g << ", "
                                         << expected.b << ", " << expected.a << ")";
}

// The regular, italic and heavy text faces are registered; the heavy italic one is
// deliberately not, so that a style naming it shows the fallback to the default face.
struct TextFontsTest : ::testing::Test {
    static void SetUpTestSuite() {
        platform::graphics::useIsolatedFontConfiguration();
        if (platform::graphics::FontRegistry::shared().font("SFProText-Regular", 12)) return;
        platform::LogCapture quiet;
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
        vistrel::registerFontsWithFilenames(
            {"SFProText-Regular.ttf", "SFProText-RegularItalic.ttf", "SFProText-Heavy.ttf"});
        vistrel::overrideBundleLocations(std::nullopt);
    }
    static std::string defaultFaceName() {
        return platform::graphics::FontRegistry::shared().defaultFont(12)->postScriptName;
    }
};

}  // namespace presentationtest
