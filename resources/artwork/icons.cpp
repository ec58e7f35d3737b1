// The menu's item icons and the tutorial's page indicators: white shapes meant for a
// coloured background.
#include <cmath>
#include <string>

#include "artwork.hpp"

namespace artwork {

namespace {

constexpr Size kIconSize{24, 24};
constexpr double kGlyphWidth = 3;

void drawQuestionMark(Canvas& canvas) {
    Path hook;
    // From the left of the bowl over the top, round the right and down to the stem.
    hook.addArc({12, 9}, 4.5, M_PI, 2.45 * M_PI, true);
    hook.lineTo({12, 14.5});
    canvas.stroke(hook, Color::white(), kGlyphWidth, platform::graphics::LineCap::round);
    canvas.fill(circle({12, 19.5}, 1.9), Color::white());
}

void drawInfo(Canvas& canvas) {
    canvas.fill(circle({12, 5.5}, 2), Color::white());
    Path stem;
    stem.moveTo({12, 10});
    stem.lineTo({12, 19});
    canvas.stroke(stem, Color::white(), kGlyphWidth, platform::graphics::LineCap::round);
    Path serif;
    serif.moveTo({9.5, 10});
    serif.lineTo({12, 10});
    serif.moveTo({9.5, 19});
    serif.lineTo({14.5, 19});
    canvas.stroke(serif, Color::white(), 2, platform::graphics::LineCap::round);
}

}  // namespace

bool writeMenuIcons(const std::filesystem::path& bundle) {
    return writeDrawing(bundle / "question_mark@2x.png", kIconSize, drawQuestionMark) &&
           writeDrawing(bundle / "info@2x.png", kIconSize, drawInfo);
}

bool writePageIndicators(const std::filesystem::path& bundle) {
    constexpr int pages = 4;
    constexpr double spacing = 16, radius = 4;
    const Size size{72, 18};
    for (int shown = 0; shown < pages; ++shown) {
        auto draw = [&](Canvas& canvas) {
            for (int page = 0; page < pages; ++page) {
                const Point centre{size.width / 2 + (page - (pages - 1) / 2.0) * spacing, size.height / 2};
                if (page == shown)
                    canvas.fill(circle(centre, radius), Color::white());
                else
                    canvas.stroke(circle(centre, radius - 0.75), Color::white().withAlpha(0.6), 1.5);
            }
        };
        std::string name = "tuto_page_indicator_";
        name += std::to_string(shown);
        name += "@2x.png";
        if (!writeDrawing(bundle / name, size, draw)) return false;
    }
    return true;
}

}  // namespace artwork
