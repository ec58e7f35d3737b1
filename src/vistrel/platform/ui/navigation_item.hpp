#pragma once
// What a screen shows in a navigation bar while it is on top: a title (or a title view),
// bar button items on the left and right, and the item that the screen pushed above it
// shows as its back button. The bar that shows the item is told of every change.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/platform/ui/bar_button_item.hpp"

namespace platform::ui {

class NavigationBar;
class View;

class NavigationItem {
public:
    explicit NavigationItem(std::optional<std::string> title = std::nullopt) : title_(std::move(title)) {}
    NavigationItem(const NavigationItem&) = delete;
    NavigationItem& operator=(const NavigationItem&) = delete;

    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title);
    // Shown in place of the title when set.
    const std::shared_ptr<View>& titleView() const { return titleView_; }
    void setTitleView(std::shared_ptr<View> view);

    // The single-item forms read and set the first of the list.
    std::shared_ptr<BarButtonItem> leftBarButtonItem() const;
    void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item);
    const std::vector<std::shared_ptr<BarButtonItem>>& leftBarButtonItems() const { return left_; }
    void setLeftBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);
    std::shared_ptr<BarButtonItem> rightBarButtonItem() const;
    void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item);
    const std::vector<std::shared_ptr<BarButtonItem>>& rightBarButtonItems() const { return right_; }
    void setRightBarButtonItems(std::vector<std::shared_ptr<BarButtonItem>> items);

    // The back button of the next screen, when set; else that button shows this title.
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return back_; }
    void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item);
    bool hidesBackButton() const { return hidesBackButton_; }
    void setHidesBackButton(bool hides);

private:
    friend class NavigationBar;
    void changed() const;

    std::optional<std::string> title_;
    std::shared_ptr<View> titleView_;
    std::vector<std::shared_ptr<BarButtonItem>> left_;
    std::vector<std::shared_ptr<BarButtonItem>> right_;
    std::shared_ptr<BarButtonItem> back_;
    bool hidesBackButton_ = false;
    // The bar showing the item, if any (an item is in one bar at a time).
    std::weak_ptr<NavigationBar> bar_;
};

}  // namespace platform::ui
