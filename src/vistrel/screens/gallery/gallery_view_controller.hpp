#pragma once
// The scan history in three paged tabs (recent scans, favourites, photos waiting to be
// sent), with a row of tab buttons over an indicator bar, and an edit button that puts
// every page into delete mode. The screen fetches the newest records (the history size)
// and every waiting photo once per reload and hands them to the three pages; while it
// is visible it follows the store's change notifications, posted from any thread, on
// the main queue. Opening a record sends its photo through the scanner again.
//
// The screen owns its pages; the pages and their cards refer back without owning, so
// leaving the gallery frees it.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/platform/ui/scroll_view.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_content_protocol.hpp"
#include "vistrel/screens/gallery/gallery_content_view_controller.hpp"
#include "vistrel/screens/gallery/library_button.hpp"
#include "vistrel/screens/gallery/library_option.hpp"
#include "vistrel/service/picture_scanner.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

class GalleryViewController : public VistrelViewController,
                              public GalleryContentProtocol,
                              public DisplayActionsProtocol,
                              public platform::ui::ScrollViewDelegate {
public:
    static constexpr double tabBarHeight = 44;
    static constexpr double indicatorHeight = 3;

    // The initial screen of storyboard "Gallery"; when the bundle, the storyboard or the
    // scene is missing, a log line and the screen built without it.
    static std::shared_ptr<GalleryViewController> instance();

    GalleryViewController();

    // The tab shown; the screen opens on it (set it before the screen first appears).
    LibraryOption option = LibraryOption::favorites;
    // Tab titles by raw value.
    std::vector<std::string> optionsTitles;
    // The last history fetched, newest first, at most the history size: the recents and
    // the favourites.
    VistrelImages vistrelImages;
    // The photos waiting to be sent, newest first, all of them: the waiting list.
    VistrelImages waitingImages;
    PictureScanner imageScanner;
    std::shared_ptr<PersistanceController> persistanceController = PersistanceController::shared();
    // The three pages in the order recents, favourites, waiting list.
    std::vector<std::shared_ptr<GalleryContentViewController>> contentControllers;
    // Fetch again at the next appearance.
    bool needToReload = false;

    // Outlets (held by the view tree and the navigation item).
    std::shared_ptr<platform::ui::ScrollView> scrollView() const { return scrollView_.lock(); }
    std::shared_ptr<platform::ui::View> indicatorView() const { return indicatorView_.lock(); }
    std::shared_ptr<platform::ui::LayoutConstraint> indicatorLeadingConstraint() const {
        return indicatorLeadingConstraint_.lock();
    }
    std::shared_ptr<LibraryButton> recentsButton() const { return recentsButton_.lock(); }
    std::shared_ptr<LibraryButton> favoriteButton() const { return favoriteButton_.lock(); }
    std::shared_ptr<LibraryButton> waitingListButton() const { return waitingListButton_.lock(); }
    std::shared_ptr<platform::ui::BarButtonItem> editionBarButtonItem() const { return editionBarButtonItem_.lock(); }

    // True from a record's opening until its scan has answered.
    bool isResending() const { return resending_; }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
        return platform::ui::StatusBarStyle::lightContent;
    }

    // The tab buttons and the edit button.
    void showLastScans();
    void showFavorites();
    void showWaitingList();
    void toggleEdition();

    // Scrolls to the tab's page (animated), then marks the tab.
    void showOption(LibraryOption option);
    // Title, indicator and buttons of the tab.
    void updateViewWithOption(LibraryOption option);
    void addContentControllerForLibraryOption(LibraryOption option);
    // Fetches the history and the waiting list and hands them to the pages; a failed
    // fetch keeps them as they are.
    void reloadData();
    // The store changed: one reload on the main queue, whatever thread posted.
    void managedObjectContextObjectsUpdated(const platform::ui::Notification& notification);

    void scrollViewDidEndDecelerating(platform::ui::ScrollView& scrollView) override;

    // From the pages.
    void didSelectImagePicture(const platform::graphics::Image& picture, std::shared_ptr<VistrelImage> vistrelImage,
                               LibraryOption libraryOption) override;
    void deleteImage(std::shared_ptr<VistrelImage> image) override;
    void didChangeFavorites() override;
    // From the action list: reload when the gallery shows again.
    void fetchCoreData() override;

private:
    std::shared_ptr<GalleryViewController> self();
    // Builds the pages, opens the tab in `option` and fetches: once, however often the
    // screen appears before it runs.
    void loadPages();
    void startObserving();
    void stopObserving();
    // Gives each page its list: the waiting list to its page, the history to the others.
    void updatePages();
    // The scanner's answer to a resend.
    void resendDidFinish(const platform::graphics::Image& picture, const std::weak_ptr<VistrelImage>& record,
                         std::optional<Image> image, std::optional<VistrelError> error);

    std::weak_ptr<platform::ui::ScrollView> scrollView_;
    std::weak_ptr<platform::ui::View> indicatorView_;
    std::weak_ptr<platform::ui::LayoutConstraint> indicatorLeadingConstraint_;
    std::weak_ptr<LibraryButton> recentsButton_;
    std::weak_ptr<LibraryButton> favoriteButton_;
    std::weak_ptr<LibraryButton> waitingListButton_;
    std::weak_ptr<platform::ui::BarButtonItem> editionBarButtonItem_;
    // The card photos of the three pages: as many kept as the pages show at once.
    std::shared_ptr<CardPictureLoader> pictureLoader_ = std::make_shared<CardPictureLoader>(20);
    bool pagesRequested_ = false;
    bool reloadPosted_ = false;
    bool resending_ = false;
};

}  // namespace vistrel
