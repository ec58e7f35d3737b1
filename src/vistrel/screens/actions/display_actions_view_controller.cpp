#include "vistrel/screens/actions/display_actions_view_controller.hpp"

#include <string>

#include "vistrel/core/icon_image.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/navigation_conveniences.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/model/themes.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/navigation_bar.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/screens/actions/actions_storyboard.hpp"
#include "vistrel/screens/actions/image_action_table_view_cell.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/service/client.hpp"

namespace vistrel {

using platform::graphics::Color;
using platform::ui::IndexPath;
using platform::ui::Rect;
using platform::ui::TableView;
using platform::ui::TableViewCell;

std::shared_ptr<DisplayActionsViewController> DisplayActionsViewController::instance() {
    return kitSceneOrBuilt<DisplayActionsViewController>(actionsStoryboard(), kActionsStoryboardName,
                                                         kDisplayActionsViewControllerIdentifier);
}

std::shared_ptr<DisplayActionsViewController> DisplayActionsViewController::self() {
    return std::static_pointer_cast<DisplayActionsViewController>(shared_from_this());
}

// The photo fills the screen; the title bar lies under the navigation bar, the list
// below it down to the bottom.
void DisplayActionsViewController::loadView() {
    auto view = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    auto photo = std::make_shared<platform::ui::ImageView>();
    photo->setContentMode(platform::ui::ContentMode::scaleAspectFill);
    photo->setClipsToBounds(true);
    auto title = std::make_shared<platform::ui::View>();
    auto label = std::make_shared<platform::ui::Label>();
    label->setTextAlignment(platform::graphics::TextAlignment::center);
    label->setNumberOfLines(2);
    title->addSubview(label);
    auto table = std::make_shared<TableView>();
    table->setBackgroundColor(Color::clear());
    view->addSubview(photo);
    view->addSubview(title);
    view->addSubview(table);
    view->onLayout = [container = view.get(), photo = photo.get(), title = title.get(), label = label.get(),
                      table = table.get()] {
        const Rect bounds = container->bounds();
        const double top = platform::ui::NavigationBar::statusBarHeight + platform::ui::NavigationBar::defaultHeight;
        photo->setFrame(bounds);
        title->setFrame({0, top, bounds.width(), titleHeight});
        label->setFrame({8, 0, std::max(0.0, bounds.width() - 16), titleHeight});
        const double listTop = top + titleHeight + listTopSpace;
        table->setFrame({0, listTop, bounds.width(), std::max(0.0, bounds.height() - listTop)});
    };
    imageView_ = photo;
    titleView_ = title;
    titleLabel_ = label;
    tableView_ = table;
    setView(view);
}

void DisplayActionsViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    hideBackButtonText = true;
    auto table = tableView();
    if (table) {
        table->setHidden(true);
        table->setDataSource(self());
        table->setDelegate(self());
        if (rowPrototype) table->registerCell(std::string(ImageActionTableViewCell::reuseIdentifier), rowPrototype);
    }
    setAutomaticallyAdjustsScrollViewInsets(false);
    if (auto navigation = navigationController())
        setBarTintColor(*navigation, vistrelPrimary(), vistrelWhite(), true,
                        platform::ui::BarImage{imageWithColor(Color::rgba(0, 0, 0, 0.8))},
                        platform::ui::BarImage::empty());
    noFavoriteButton_ = barButtonWithIconType(VistrelIconType::StarEmpty, 24, Color::white());
    favoriteButton_ = barButtonWithIconType(VistrelIconType::StarFull, 24, vistrelYellow());
    for (const auto& star : {noFavoriteButton_, favoriteButton_}) {
        star->addTarget(self(), &DisplayActionsViewController::toggleFavorite,
                        platform::ui::ControlEvents::touchUpInside);
        star->setHidden(hideNavigationButtons);
    }
    navigationItem().setRightBarButtonItem(std::make_shared<platform::ui::BarButtonItem>(noFavoriteButton_));
    if (auto photo = imageView()) photo->setImage(picture);
}

void DisplayActionsViewController::viewWillAppear(bool animated) {
    VistrelViewController::viewWillAppear(animated);
    showActionsView();
}

void DisplayActionsViewController::showActionsView() {
    platform::dispatch::main().async([screen = self()] {
        if (!screen->imageViewModel || !screen->picture) {
            platform::log("DisplayActionsViewController: no image to show");
            return;
        }
        auto store = screen->historyStore ? screen->historyStore : PersistanceController::shared();
        // An image the history cannot keep (an answer without its identity, a full or
        // damaged store) still shows its actions; only the star needs a record.
        if (auto record = VistrelImageViewModel::make(*screen->imageViewModel, *screen->picture, store))
            screen->vistrelImageViewModel_ = std::move(record);
        else if (!screen->vistrelImageViewModel_)
            platform::log("DisplayActionsViewController: not in the history; the actions show without the star");
        screen->updateFavoriteStatus();
        const ImageViewModel& image = *screen->imageViewModel;
        if (auto label = screen->titleLabel()) {
            label->setText(image.imageName());
            label->setFont(image.textFont());
            label->setTextColor(image.textColor());
        }
        if (auto title = screen->titleView())
            title->setBackgroundColor(image.buttonDisplay() ? image.buttonBackgroundColor()
                                                            : VistrelImageTheme::buttonBackgroundColor);
        if (auto table = screen->tableView()) {
            screen->view()->layoutIfNeeded();  // the rows' heights follow the table's width
            table->reloadData();
            table->layoutIfNeeded();
            screen->updateTableViewContentInset();
            table->setHidden(false);
        }
    });
}

void DisplayActionsViewController::updateTableViewContentInset() {
    auto table = tableView();
    if (!table) return;
    const double available = view()->frame().height() - (table->frame().minY() + 16);
    double inset = (available - table->contentSize().height) / 2;
    if (!(inset > 0)) inset = 0;
    table->setContentInset({inset, 0, -inset, 0});
}

void DisplayActionsViewController::updateFavoriteStatus() {
    if (!vistrelImageViewModel_) {
        navigationItem().setRightBarButtonItem(nullptr);
        return;
    }
    const bool favorite = vistrelImageViewModel_->isFavorite();
    navigationItem().setRightBarButtonItem(
        std::make_shared<platform::ui::BarButtonItem>(favorite ? favoriteButton_ : noFavoriteButton_));
}

void DisplayActionsViewController::toggleFavorite() {
    if (!vistrelImageViewModel_) {
        platform::log("DisplayActionsViewController: no history record yet, the star waits");
        return;
    }
    vistrelImageViewModel_->toggleIsFavorite();
    updateFavoriteStatus();
    if (delegate) delegate->fetchCoreData();
}

int DisplayActionsViewController::numberOfRowsInSection(TableView&, int) {
    return imageViewModel ? static_cast<int>(imageViewModel->numberOfActions()) : 0;
}

std::optional<double> DisplayActionsViewController::heightForRowAt(TableView& table, const IndexPath& indexPath) {
    if (!imageViewModel) return std::nullopt;
    return imageViewModel->buttonHeightForAction(indexPath.row, table.bounds().width()) +
           VistrelActionTheme::buttonBottomSpace;
}

std::shared_ptr<TableViewCell> DisplayActionsViewController::cellForRowAt(TableView& table, const IndexPath&) {
    std::shared_ptr<TableViewCell> cell =
        std::dynamic_pointer_cast<ImageActionTableViewCell>(table.dequeueReusableCell(
            std::string(ImageActionTableViewCell::reuseIdentifier)));
    if (!cell) cell = makeImageActionTableViewCell();  // the table has no row prototype
    cell->setSelectionStyle(platform::ui::TableViewCellSelectionStyle::none);
    return cell;
}

void DisplayActionsViewController::willDisplayCell(TableView&, TableViewCell& cell, const IndexPath& indexPath) {
    auto* row = dynamic_cast<ImageActionTableViewCell*>(&cell);
    if (!row || !imageViewModel) return;
    if (auto model = imageViewModel->viewModelForAction(indexPath.row)) row->configureWithActionViewModel(model);
}

void DisplayActionsViewController::didSelectRowAt(TableView& table, const IndexPath& indexPath) {
    table.deselectRow(indexPath, true);
    if (!imageViewModel) return;
    auto image = imageViewModel;  // the action may replace this screen's state
    image->handleActionAtPosition(indexPath.row, self());
    reportClick(indexPath.row);
}

void DisplayActionsViewController::reportClick(std::intptr_t position) const {
    const auto sessionId = imageViewModel->imageSessionId();
    const auto actionId = imageViewModel->idForAction(position);
    if (!sessionId || !actionId || sessionId->empty() || actionId->empty()) return;
    Client::clicksWithSessionId(*sessionId, *actionId, [](std::optional<std::string> message,
                                                          std::optional<platform::Error> error) {
        std::string messageLine = "clicks message :: ";
        messageLine += message ? *message : std::string("no message");
        platform::log(messageLine);
        std::string errorLine = "clicks error :: ";
        errorLine += error ? error->description() : std::string("nil");
        platform::log(errorLine);
    });
}

}  // namespace vistrel
