// The gallery's own views: under the navigation bar, a white row of three tab buttons,
// a third of the width each in tab order, with the indicator bar along its bottom edge
// (moved only by its leading constraint); below it the paged scroll view that holds the
// three pages side by side. The edit button sits on the right of the navigation bar.
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"

namespace vistrel {

using platform::ui::LayoutAttribute;
using platform::ui::LayoutConstraint;

void GalleryViewController::loadView() {
    auto root = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    root->setBackgroundColor(platform::graphics::Color::white());
    auto tabs = std::make_shared<platform::ui::View>();
    tabs->setBackgroundColor(platform::graphics::Color::white());
    auto scroll = std::make_shared<platform::ui::ScrollView>();
    scroll->setPagingEnabled(true);
    scroll->setClipsToBounds(true);
    scroll->setDelegate(std::static_pointer_cast<platform::ui::ScrollViewDelegate>(self()));
    root->addSubview(scroll);
    root->addSubview(tabs);

    const std::pair<std::weak_ptr<LibraryButton>*, void (GalleryViewController::*)()> wiring[] = {
        {&recentsButton_, &GalleryViewController::showLastScans},
        {&favoriteButton_, &GalleryViewController::showFavorites},
        {&waitingListButton_, &GalleryViewController::showWaitingList},
    };
    std::vector<std::shared_ptr<LibraryButton>> buttons;
    for (const auto& [outlet, action] : wiring) {
        auto button = std::make_shared<LibraryButton>();
        button->addTarget(self(), action, platform::ui::ControlEvents::touchUpInside);
        tabs->addSubview(button);
        *outlet = button;
        buttons.push_back(std::move(button));
    }

    auto indicator = std::make_shared<platform::ui::View>();
    tabs->addSubview(indicator);
    auto leading = LayoutConstraint::make(indicator, LayoutAttribute::leading, nullptr, 0);
    leading->setActive(true);
    LayoutConstraint::make(indicator, LayoutAttribute::bottom, nullptr, 0)->setActive(true);
    LayoutConstraint::make(indicator, LayoutAttribute::height, nullptr, indicatorHeight)->setActive(true);
    LayoutConstraint::make(indicator, LayoutAttribute::width, nullptr, platform::ui::Screen::main().bounds().width() / 3)
        ->setActive(true);

    root->onLayout = [container = root.get(), tabs = tabs.get(), scroll = scroll.get(), buttons] {
        const auto bounds = container->bounds();
        const double third = bounds.width() / 3;
        tabs->setFrame({0, 0, bounds.width(), tabBarHeight});
        for (std::size_t i = 0; i < buttons.size(); ++i)
            buttons[i]->setFrame({third * static_cast<double>(i), 0, third, tabBarHeight - indicatorHeight});
        scroll->setFrame({0, tabBarHeight, bounds.width(), std::max(0.0, bounds.height() - tabBarHeight)});
    };

    auto edit = std::make_shared<platform::ui::BarButtonItem>(std::nullopt);
    edit->setTarget(self(), &GalleryViewController::toggleEdition);
    navigationItem().setRightBarButtonItem(edit);

    scrollView_ = scroll;
    indicatorView_ = indicator;
    indicatorLeadingConstraint_ = leading;
    editionBarButtonItem_ = edit;
    setView(root);
}

}  // namespace vistrel
