#pragma once
// The action list: the scanned photo, a title bar with the image's name in its title
// style, one styled button row per shown action, and a star in the navigation bar that
// marks the image as a favourite in the scan history. A tap runs the action through the
// image view model, then reports the click to the statistics service when both the
// image's session identifier and the action's identifier are known. Each appearance
// records the image in the scan history; until a record exists the star does nothing,
// and an image that cannot be recorded shows its title and actions without a star.
#include <functional>
#include <memory>
#include <optional>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/table_view.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"
#include "vistrel/screens/common/vistrel_view_controller.hpp"
#include "vistrel/store/persistance_controller.hpp"

namespace vistrel {

// Told after each change of the favourite mark.
class DisplayActionsProtocol {
public:
    virtual ~DisplayActionsProtocol() = default;
    virtual void fetchCoreData() = 0;
};

class DisplayActionsViewController : public VistrelViewController,
                                     public platform::ui::TableViewDataSource,
                                     public platform::ui::TableViewDelegate {
public:
    static constexpr double titleHeight = 44;
    // The gap between the title bar and the list.
    static constexpr double listTopSpace = 8;

    // The scene "DisplayActionsViewController" of storyboard "Actions"; when the bundle,
    // the storyboard or the scene is missing, a log line and the screen built without it
    // (whose table has no row prototype: its rows are made fresh).
    static std::shared_ptr<DisplayActionsViewController> instance();

    // Set by the caller before the screen is shown.
    std::shared_ptr<DisplayActionsProtocol> delegate;
    std::optional<platform::graphics::Image> picture;
    std::shared_ptr<ImageViewModel> imageViewModel;
    bool hideNavigationButtons = false;
    // The scan history to record in; none: the shared one.
    std::shared_ptr<PersistanceController> historyStore;
    // The row prototype the table registers when the view loads (set by the storyboard).
    std::function<std::shared_ptr<platform::ui::TableViewCell>()> rowPrototype;

    // The history record of the latest appearance; none until one could be made.
    const std::shared_ptr<VistrelImageViewModel>& vistrelImageViewModel() const { return vistrelImageViewModel_; }
    const std::shared_ptr<platform::ui::Button>& favoriteButton() const { return favoriteButton_; }
    const std::shared_ptr<platform::ui::Button>& noFavoriteButton() const { return noFavoriteButton_; }

    std::shared_ptr<platform::ui::ImageView> imageView() const { return imageView_.lock(); }
    std::shared_ptr<platform::ui::View> titleView() const { return titleView_.lock(); }
    std::shared_ptr<platform::ui::Label> titleLabel() const { return titleLabel_.lock(); }
    std::shared_ptr<platform::ui::TableView> tableView() const { return tableView_.lock(); }

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    platform::ui::StatusBarStyle preferredStatusBarStyle() const override {
        return platform::ui::StatusBarStyle::lightContent;
    }

    // The stars' action: flips the record's mark, shows the matching star and tells the
    // delegate. Nothing while there is no record.
    void toggleFavorite();
    // Puts the star matching the record's mark into the navigation bar; none without a record.
    void updateFavoriteStatus();

    // Table
    int numberOfRowsInSection(platform::ui::TableView& tableView, int section) override;
    std::optional<double> heightForRowAt(platform::ui::TableView& tableView,
                                         const platform::ui::IndexPath& indexPath) override;
    std::shared_ptr<platform::ui::TableViewCell> cellForRowAt(platform::ui::TableView& tableView,
                                                              const platform::ui::IndexPath& indexPath) override;
    void willDisplayCell(platform::ui::TableView& tableView, platform::ui::TableViewCell& cell,
                         const platform::ui::IndexPath& indexPath) override;
    void didSelectRowAt(platform::ui::TableView& tableView, const platform::ui::IndexPath& indexPath) override;

private:
    std::shared_ptr<DisplayActionsViewController> self();
    // Records the image, then shows the title and the list (posted to the main queue).
    void showActionsView();
    // Centres a short list: run after the reload is laid out.
    void updateTableViewContentInset();
    void reportClick(std::intptr_t position) const;

    std::shared_ptr<VistrelImageViewModel> vistrelImageViewModel_;
    std::shared_ptr<platform::ui::Button> favoriteButton_;
    std::shared_ptr<platform::ui::Button> noFavoriteButton_;
    std::weak_ptr<platform::ui::ImageView> imageView_;
    std::weak_ptr<platform::ui::View> titleView_;
    std::weak_ptr<platform::ui::Label> titleLabel_;
    std::weak_ptr<platform::ui::TableView> tableView_;
};

}  // namespace vistrel
