#include "vistrel/screens/tutorial/tutorial_content_view_controller.hpp"

#include <algorithm>

#include "vistrel/core/palette.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/model/themes.hpp"
#include "vistrel/platform/ui/image_named.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/presentation/style_font.hpp"

namespace vistrel {

namespace {

constexpr double kTitleSize = 24;
constexpr double kDescriptionSize = 16;
constexpr double kSideMargin = 32;
constexpr double kStatusBarSpace = 20;
// Three lines of the description; a label centres its text in its height.
constexpr double kDescriptionHeight = 66;

}  // namespace

void TutorialContentViewController::loadView() {
    using platform::ui::ImageView;
    using platform::ui::Label;
    using platform::ui::Rect;
    auto view = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    auto bundle = vistrelBundle();
    std::array<std::shared_ptr<ImageView>, 4> slides;
    for (std::size_t i = 0; i < slides.size(); ++i) {
        slides[i] = std::make_shared<ImageView>();
        slides[i]->setContentMode(platform::ui::ContentMode::scaleAspectFit);
        slides[i]->setImage(platform::ui::imageNamed(kTutorialSlideImageNames[i], bundle.get()));
        view->addSubview(slides[i]);
        slides_[i] = slides[i];
    }
    auto title = std::make_shared<Label>();
    title->setFont(style_font::fontNamed(VistrelImageTheme::textFontBoldWeightNormalStyle, kTitleSize, kTitleSize));
    title->setTextColor(vistrelWhite());
    title->setTextAlignment(platform::graphics::TextAlignment::center);
    auto description = std::make_shared<Label>();
    description->setFont(style_font::fontNamed(VistrelImageTheme::textFont, kDescriptionSize, kDescriptionSize));
    description->setTextColor(vistrelWhite().withAlpha(0.8));
    description->setTextAlignment(platform::graphics::TextAlignment::center);
    description->setNumberOfLines(0);
    view->addSubview(title);
    view->addSubview(description);
    titleLabel_ = title;
    descriptionLabel_ = description;
    // The illustration is centred in the upper part, below the status bar; the texts
    // start under it.
    view->onLayout = [container = view.get(), slides, title = title.get(), description = description.get()] {
        const Rect bounds = container->bounds();
        const double top = bounds.height() * kTutorialTopAreaFraction;
        const double side = std::max(0.0, std::min(bounds.width() - 2 * kSideMargin, top - kStatusBarSpace - 48));
        const Rect art{(bounds.width() - side) / 2, kStatusBarSpace + (top - kStatusBarSpace - side) / 2, side, side};
        for (const auto& slide : slides) slide->setFrame(art);
        const double textWidth = std::max(0.0, bounds.width() - 2 * kSideMargin);
        title->setFrame({kSideMargin, top + 24, textWidth, 34});
        description->setFrame({kSideMargin, top + 66, textWidth, kDescriptionHeight});
    };
    setView(view);
}

void TutorialContentViewController::viewDidLoad() {
    platform::ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(platform::graphics::Color::clear());
    if (auto label = titleLabel()) label->setText(contentTitle);
    if (auto label = descriptionLabel()) label->setText(contentDescription);
    animateTutorialSlide();
}

void TutorialContentViewController::animateTutorialSlide() {
    for (std::size_t i = 0; i < slides_.size(); ++i)
        if (auto slide = slides_[i].lock()) slide->setHidden(index != static_cast<std::intptr_t>(i));
}

}  // namespace vistrel
