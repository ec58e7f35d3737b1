#include "vistrel/screens/tutorial/tutorial_view_controller.hpp"

#include <algorithm>

#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/gradient_layer.hpp"
#include "vistrel/platform/ui/image_named.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/platform/ui/storyboard_segue.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/tutorial/tutorial_storyboard.hpp"

namespace vistrel {

namespace {

constexpr double kCloseButtonSide = 36;
constexpr double kCloseButtonGlyphSize = 18;
constexpr double kIndicatorWidth = 72;
constexpr double kIndicatorHeight = 18;
constexpr double kIndicatorBottomSpace = 40;

std::vector<TutorialContent> steps() {
    std::vector<TutorialContent> contents;
    for (const char* step : {"tutorial.step1", "tutorial.step2", "tutorial.step3", "tutorial.step4"}) {
        std::string title(step), text(step);
        title += ".title";
        text += ".text";
        contents.emplace_back(tr(title), tr(text));
    }
    return contents;
}

// The position of a page of the tutorial; none for a page of another kind.
std::optional<std::intptr_t> pageIndex(const platform::ui::ViewController* page) {
    auto content = dynamic_cast<const TutorialContentViewController*>(page);
    if (!content) return std::nullopt;
    return content->index;
}

}  // namespace

std::string tutorialPageIndicatorName(std::intptr_t index) {
    std::string name = "tuto_page_indicator_";
    name += std::to_string(index);
    return name;
}

std::shared_ptr<TutorialViewController> TutorialViewController::instance() {
    return kitSceneOrBuilt<TutorialViewController>(tutorialStoryboard(), kTutorialStoryboardName, std::nullopt);
}

TutorialViewController::TutorialViewController() : tutorialContents_(steps()) {}

std::shared_ptr<TutorialViewController> TutorialViewController::self() {
    return std::static_pointer_cast<TutorialViewController>(shared_from_this());
}

bool TutorialViewController::isStep(std::intptr_t index) const {
    return index >= 0 && index < static_cast<std::intptr_t>(tutorialContents_.size());
}

void TutorialViewController::loadView() {
    using platform::ui::Rect;
    using platform::ui::View;
    auto view = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    view->setBackgroundColor(vistrelBackgroundBottom());
    auto top = std::make_shared<View>();
    auto bottom = std::make_shared<View>();
    bottom->setBackgroundColor(vistrelBackgroundBottom());
    auto pages = std::make_shared<View>();
    pages->setTag(kTutorialPagesContainerTag);
    auto indicator = std::make_shared<platform::ui::ImageView>();
    indicator->setContentMode(platform::ui::ContentMode::center);
    indicator->setImage(platform::ui::imageNamed(tutorialPageIndicatorName(0), vistrelBundle().get()));
    auto close = std::make_shared<platform::ui::Button>();
    close->layer().setCornerRadius(kCloseButtonSide / 2);
    close->setClipsToBounds(true);
    close->addTarget(self(), &TutorialViewController::close, platform::ui::ControlEvents::touchUpInside);
    for (const auto& part : std::initializer_list<std::shared_ptr<View>>{top, bottom, pages, indicator, close})
        view->addSubview(part);
    view->onLayout = [container = view.get(), top = top.get(), bottom = bottom.get(), pages = pages.get(),
                      indicator = indicator.get(), close = close.get()] {
        const Rect bounds = container->bounds();
        const double split = bounds.height() * kTutorialTopAreaFraction;
        top->setFrame({0, 0, bounds.width(), split});
        bottom->setFrame({0, split, bounds.width(), std::max(0.0, bounds.height() - split)});
        pages->setFrame(bounds);
        for (const auto& page : pages->subviews()) page->setFrame(pages->bounds());
        indicator->setFrame({(bounds.width() - kIndicatorWidth) / 2,
                             bounds.height() - kIndicatorBottomSpace - kIndicatorHeight, kIndicatorWidth,
                             kIndicatorHeight});
        close->setFrame({bounds.width() - kCloseButtonSide - 16, 28, kCloseButtonSide, kCloseButtonSide});
    };
    topView_ = top;
    bottomView_ = bottom;
    closeButton_ = close;
    indicatorImageView_ = indicator;
    // The pages' container has its frame before the storyboard embeds the pages in it.
    view->onLayout();
    setView(view);
}

void TutorialViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    auto close = closeButton();
    if (!close) return;
    close->setHidden(true);
    setIconType(*close, VistrelIconType::Close, kCloseButtonGlyphSize, platform::graphics::Color::white(),
                vistrelPrimary());
}

void TutorialViewController::viewDidAppear(bool animated) {
    VistrelViewController::viewDidAppear(animated);
    auto top = topView();
    if (!top) return;
    auto gradient = std::make_shared<platform::ui::GradientLayer>();
    gradient->setFrame(top->bounds());
    gradient->setColors({vistrelBackgroundTop(), vistrelBackgroundBottom()});
    top->layer().addSublayer(gradient);
}

void TutorialViewController::prepareForSegue(platform::ui::StoryboardSegue& segue, const std::any&) {
    if (segue.identifier() != kShowPageViewControllerSegue) return;
    auto pager = std::dynamic_pointer_cast<platform::ui::PageViewController>(segue.destination());
    if (!pager) {
        platform::log("TutorialViewController :: \"showPageViewController\" leads to no page view controller");
        return;
    }
    pageViewController_ = pager;
    pager->setDataSource(self());
    pager->setDelegate(self());
    if (auto first = getContentViewControllerAtIndex(0))
        pager->setViewControllers({first}, platform::ui::PageViewControllerNavigationDirection::forward, false);
}

void TutorialViewController::close(platform::ui::Control&) { platform::ui::ViewController::dismiss(true); }

std::shared_ptr<TutorialContentViewController> TutorialViewController::getContentViewControllerAtIndex(
    std::intptr_t index) {
    if (!isStep(index)) {
        std::string line = "TutorialViewController :: there is no step ";
        line += std::to_string(index);
        platform::log(line);
        return nullptr;
    }
    auto page = kitSceneOrBuilt<TutorialContentViewController>(storyboard(), kTutorialStoryboardName,
                                                               kTutorialContentViewControllerIdentifier);
    const TutorialContent& content = tutorialContents_[static_cast<std::size_t>(index)];
    page->index = index;
    page->contentTitle = content.title.value_or("");
    page->contentDescription = content.text.value_or("");
    return page;
}

std::shared_ptr<platform::ui::ViewController> TutorialViewController::viewControllerBefore(
    platform::ui::PageViewController&, platform::ui::ViewController& viewController) {
    auto index = pageIndex(&viewController);
    if (!index || !isStep(*index) || *index == 0) return nullptr;
    return getContentViewControllerAtIndex(*index - 1);
}

std::shared_ptr<platform::ui::ViewController> TutorialViewController::viewControllerAfter(
    platform::ui::PageViewController&, platform::ui::ViewController& viewController) {
    auto index = pageIndex(&viewController);
    if (!index || !isStep(*index) || !isStep(*index + 1)) return nullptr;
    return getContentViewControllerAtIndex(*index + 1);
}

void TutorialViewController::willTransitionTo(
    platform::ui::PageViewController&, const std::vector<std::shared_ptr<platform::ui::ViewController>>& pending) {
    if (pending.empty()) return;
    if (auto index = pageIndex(pending.front().get())) lastContentIndex = *index;
}

void TutorialViewController::didFinishAnimating(platform::ui::PageViewController& pageViewController, bool,
                                                const std::vector<std::shared_ptr<platform::ui::ViewController>>&,
                                                bool transitionCompleted) {
    if (!transitionCompleted) return;
    // The delegate may not hear of every transition that starts (or hears of one that
    // another overtook), so the page on screen has the last word.
    const auto& shown = pageViewController.viewControllers();
    if (!shown.empty())
        if (auto index = pageIndex(shown.front().get()); index && isStep(*index)) lastContentIndex = *index;
    if (auto indicator = indicatorImageView())
        indicator->setImage(platform::ui::imageNamed(tutorialPageIndicatorName(lastContentIndex), vistrelBundle().get()));
    if (auto close = closeButton())
        close->setHidden(lastContentIndex != static_cast<std::intptr_t>(tutorialContents_.size()) - 1);
}

}  // namespace vistrel
