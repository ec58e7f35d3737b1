#include "vistrel/screens/gallery/gallery_view_controller.hpp"

#include <algorithm>

#include "vistrel/core/navigation_conveniences.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/text_case.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/screen.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/gallery/gallery_geometry.hpp"
#include "vistrel/screens/gallery/gallery_storyboard.hpp"
#include "vistrel/store/store_notifications.hpp"

namespace vistrel {

namespace {

double screenWidth() { return platform::ui::Screen::main().bounds().width(); }

constexpr LibraryOption allTabs[] = {LibraryOption::recents, LibraryOption::favorites, LibraryOption::waitingList};

// The tab's title upper-cased; empty when the titles lack it.
std::string tabTitle(const std::vector<std::string>& titles, LibraryOption tab) {
    const auto index = static_cast<std::size_t>(rawValue(tab));
    return index < titles.size() ? platform::graphics::uppercased(titles[index]) : std::string();
}

}  // namespace

std::shared_ptr<GalleryViewController> GalleryViewController::instance() {
    return kitSceneOrBuilt<GalleryViewController>(galleryStoryboard(), kGalleryStoryboardName, std::nullopt);
}

GalleryViewController::GalleryViewController()
    : optionsTitles{tr("gallery.recents"), tr("gallery.favorites"), tr("gallery.not_send")} {}

std::shared_ptr<GalleryViewController> GalleryViewController::self() {
    return std::static_pointer_cast<GalleryViewController>(shared_from_this());
}

void GalleryViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    hideBackButtonText = true;
    if (auto edit = editionBarButtonItem()) edit->setTitle(tr("general.edit"));
    if (auto indicator = indicatorView()) indicator->setBackgroundColor(vistrelPrimary());
}

void GalleryViewController::viewWillAppear(bool animated) {
    VistrelViewController::viewWillAppear(animated);
    startObserving();
    if (auto navigation = navigationController()) {
        setBarTintColor(*navigation, vistrelPrimary(), vistrelWhite(), false);
        navigation->setNavigationBarHidden(false, false);
    }
    if (pagesRequested_) return;
    pagesRequested_ = true;
    const std::shared_ptr<LibraryButton> buttons[] = {recentsButton(), favoriteButton(), waitingListButton()};
    for (LibraryOption tab : allTabs) {
        const auto& button = buttons[rawValue(tab)];
        if (!button) continue;
        button->setTitle(tabTitle(optionsTitles, tab), platform::ui::ControlState::normal);
        if (auto label = button->titleLabel())
            label->setFont(
                platform::graphics::FontRegistry::shared().systemFont(14, platform::graphics::FontWeight::medium));
    }
    // The pages come after this appearance, on the store's queue.
    std::weak_ptr<GalleryViewController> weak = self();
    auto context = persistanceController ? persistanceController->layer->managedObjectContext() : nullptr;
    auto block = [weak] {
        if (auto gallery = weak.lock()) gallery->loadPages();
    };
    if (context)
        context->perform(block);
    else
        platform::dispatch::main().async(block);
}

void GalleryViewController::loadPages() {
    if (!contentControllers.empty()) return;
    view()->layoutIfNeeded();  // the pages take the scroll view's size
    for (LibraryOption tab : allTabs) addContentControllerForLibraryOption(tab);
    if (auto scroll = scrollView()) scroll->setContentSize({3 * screenWidth(), 0});
    showOption(option);
    reloadData();
}

void GalleryViewController::viewDidAppear(bool animated) {
    VistrelViewController::viewDidAppear(animated);
    if (!needToReload) return;
    reloadData();
    needToReload = false;
}

void GalleryViewController::viewWillDisappear(bool animated) {
    VistrelViewController::viewWillDisappear(animated);
    stopObserving();
}

void GalleryViewController::startObserving() {
    stopObserving();  // one registration per name, however often the screen appears
    auto& centre = platform::ui::NotificationCenter::defaultCenter();
    for (auto name : {managedObjectContextDidSaveNotification, managedObjectContextObjectsDidChangeNotification})
        centre.addObserver(self(), &GalleryViewController::managedObjectContextObjectsUpdated, std::string(name));
}

void GalleryViewController::stopObserving() {
    auto& centre = platform::ui::NotificationCenter::defaultCenter();
    for (auto name : {managedObjectContextDidSaveNotification, managedObjectContextObjectsDidChangeNotification})
        centre.removeObserver(static_cast<const void*>(this), name);
}

void GalleryViewController::managedObjectContextObjectsUpdated(const platform::ui::Notification&) {
    // A save posts two names; whatever thread posts them, one reload runs on the main queue.
    std::weak_ptr<GalleryViewController> weak = self();
    auto post = [weak] {
        platform::dispatch::main().async([weak] {
            auto gallery = weak.lock();
            if (!gallery) return;
            gallery->reloadPosted_ = false;
            gallery->reloadData();
        });
    };
    if (!platform::dispatch::isMainThread()) return post();  // the flag is the main thread's
    if (reloadPosted_) return;
    reloadPosted_ = true;
    post();
}

void GalleryViewController::addContentControllerForLibraryOption(LibraryOption tab) {
    auto page = kitSceneOrBuilt<GalleryContentViewController>(storyboard(), kGalleryStoryboardName,
                                                              kGalleryContentViewControllerIdentifier);
    page->libraryOption = tab;
    page->contentDelegate = std::static_pointer_cast<GalleryContentProtocol>(self());
    page->persistanceController = persistanceController;
    page->pictureLoader = pictureLoader_;
    addChild(page);
    auto scroll = scrollView();
    auto pageView = page->view();
    platform::ui::Rect frame = scroll ? scroll->bounds() : view()->bounds();
    frame.origin = {rawValue(tab) * screenWidth(), 0};
    pageView->setFrame(frame);
    if (scroll) scroll->addSubview(pageView);
    page->didMoveToParent(this);
    contentControllers.push_back(std::move(page));
}

void GalleryViewController::showOption(LibraryOption tab) {
    if (auto scroll = scrollView()) scroll->setContentOffset({rawValue(tab) * screenWidth(), 0}, true);
    updateViewWithOption(tab);
}

void GalleryViewController::updateViewWithOption(LibraryOption tab) {
    option = tab;
    navigationItem().setTitle(tabTitle(optionsTitles, tab));
    if (auto leading = indicatorLeadingConstraint()) leading->setConstant(screenWidth() / 3 * rawValue(tab));
    if (auto button = favoriteButton()) button->setIsActivated(tab == LibraryOption::favorites);
    if (auto button = recentsButton()) button->setIsActivated(tab == LibraryOption::recents);
    if (auto button = waitingListButton()) button->setIsActivated(tab == LibraryOption::waitingList);
}

void GalleryViewController::scrollViewDidEndDecelerating(platform::ui::ScrollView& scroll) {
    // A page index outside the three tabs (a scroll view of another width) is ignored.
    if (auto tab = galleryTabAtOffset(scroll.contentOffset().x, scroll.bounds().width())) updateViewWithOption(*tab);
}

void GalleryViewController::reloadData() {
    if (!persistanceController) return;
    auto images = persistanceController->retrieveImages();
    auto waiting = persistanceController->retrieveWaitingImages();
    if (!images || !waiting) return;
    vistrelImages = std::move(*images);
    waitingImages = std::move(*waiting);
    updatePages();
}

void GalleryViewController::updatePages() {
    for (const auto& page : contentControllers)
        page->updateImages(page->libraryOption == LibraryOption::waitingList ? waitingImages : vistrelImages);
}

void GalleryViewController::showLastScans() { showOption(LibraryOption::recents); }
void GalleryViewController::showFavorites() { showOption(LibraryOption::favorites); }
void GalleryViewController::showWaitingList() { showOption(LibraryOption::waitingList); }

void GalleryViewController::toggleEdition() {
    for (const auto& child : children()) {
        auto page = std::dynamic_pointer_cast<GalleryContentViewController>(child);
        if (!page) continue;
        const bool editing = page->toggleEdition();
        if (auto edit = editionBarButtonItem()) edit->setTitle(tr(editing ? "general.done" : "general.edit"));
    }
}

void GalleryViewController::deleteImage(std::shared_ptr<VistrelImage> image) {
    if (!image) return;
    if (std::erase(vistrelImages, image) + std::erase(waitingImages, image) > 0) updatePages();
    // Also a record no longer listed: the store's deletion of a deleted record does nothing.
    if (persistanceController) persistanceController->deleteImage(std::move(image));
}

void GalleryViewController::didChangeFavorites() {
    if (persistanceController) persistanceController->saveContext();
}

void GalleryViewController::fetchCoreData() { needToReload = true; }

}  // namespace vistrel
