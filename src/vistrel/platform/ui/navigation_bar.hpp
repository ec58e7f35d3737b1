#pragma once
// The bar at the top of a navigation controller's screen: a stack of navigation items,
// of which it shows the top one (title, bar button items) and, below it, the back button
// that leads to the previous one. Its look: a bar tint (background), a tint (items),
// title text attributes, background and shadow images, translucency.
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "vistrel/platform/graphics/attributed_string.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/navigation_item.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class Button;
class ImageView;
class Label;

enum class BarMetrics { defaultMetrics, compact };

// An image given to a bar. The empty image (no picture) is a value of its own: it draws
// nothing, so it takes the bar's default background or shadow line away, where no image
// at all keeps them.
struct BarImage {
    std::optional<graphics::Image> picture;

    static BarImage empty() { return {}; }
    bool isEmpty() const { return !picture; }
};

class NavigationBar;

// Told when the user taps the back button; a navigation controller pops its top screen.
class NavigationBarDelegate {
public:
    virtual ~NavigationBarDelegate() = default;
    virtual void navigationBarDidTapBack(NavigationBar& bar) = 0;
};

class NavigationBar : public View {
public:
    static constexpr double defaultHeight = 44;
    // The status bar above the bar; the bar's background also covers it.
    static constexpr double statusBarHeight = 20;
    // What the bar draws behind itself when given no bar tint.
    static Color defaultBarColor() { return Color::rgba(247.0 / 255, 247.0 / 255, 247.0 / 255, 1); }

    // As wide as the main screen, 44 points high.
    NavigationBar();

    // ---- Items ----
    const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<NavigationItem>> items);
    void pushItem(std::shared_ptr<NavigationItem> item);
    // The top item, removed; none (and nothing changes) when the bar holds at most one.
    std::shared_ptr<NavigationItem> popItem();
    std::shared_ptr<NavigationItem> topItem() const;
    // The item below the top one: its back button item or title names the back button.
    std::shared_ptr<NavigationItem> backItem() const;

    // ---- Look ----
    // The background colour; none is the default bar colour. The items take the view's
    // tint colour.
    std::optional<Color> barTintColor() const { return barTintColor_; }
    void setBarTintColor(std::optional<Color> color);
    // Attributes of the title; what they leave unset is the system font at 17 points in black.
    const graphics::TextAttributes& titleTextAttributes() const { return titleAttributes_; }
    void setTitleTextAttributes(graphics::TextAttributes attributes);
    // None restores the default background. A picture replaces the bar tint background;
    // under a bar that is not translucent the bar tint (else white) still backs it.
    std::optional<BarImage> backgroundImage(BarMetrics metrics = BarMetrics::defaultMetrics) const;
    void setBackgroundImage(std::optional<BarImage> image, BarMetrics metrics = BarMetrics::defaultMetrics);
    // The line under the bar; none is the default hairline.
    const std::optional<BarImage>& shadowImage() const { return shadowImage_; }
    void setShadowImage(std::optional<BarImage> image);
    // A translucent bar lets the screen's content run under it; true by default.
    bool isTranslucent() const { return translucent_; }
    void setTranslucent(bool translucent);

    std::weak_ptr<NavigationBarDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<NavigationBarDelegate> delegate) { delegate_ = std::move(delegate); }

    // ---- What it shows (after layout) ----
    const std::shared_ptr<Label>& titleLabel() const { return titleLabel_; }
    // None when the top item shows no back button.
    const std::shared_ptr<Button>& backButton() const { return backButton_; }
    // The views of the left and right bar button items, in item order (custom views as given).
    const std::vector<std::shared_ptr<View>>& leftItemViews() const { return leftViews_; }
    const std::vector<std::shared_ptr<View>>& rightItemViews() const { return rightViews_; }

    void layoutSubviews() override;

private:
    void adopt(const std::shared_ptr<NavigationItem>& item);
    void release(const std::shared_ptr<NavigationItem>& item);
    void updateBackground();
    std::shared_ptr<View> viewForItem(const std::shared_ptr<BarButtonItem>& item);
    void itemButtonTapped(Button& button);
    void backButtonTapped();

    std::vector<std::shared_ptr<NavigationItem>> items_;
    std::optional<Color> barTintColor_;
    graphics::TextAttributes titleAttributes_;
    std::map<BarMetrics, BarImage> backgroundImages_;
    std::optional<BarImage> shadowImage_;
    bool translucent_ = true;
    std::weak_ptr<NavigationBarDelegate> delegate_;

    // Drawn behind the bar and up under the status bar.
    std::shared_ptr<View> backdrop_;
    std::shared_ptr<ImageView> backgroundImageView_;
    std::shared_ptr<ImageView> shadowView_;
    std::shared_ptr<Label> titleLabel_;
    std::shared_ptr<Button> backButton_;
    std::vector<std::shared_ptr<View>> leftViews_;
    std::vector<std::shared_ptr<View>> rightViews_;
    std::shared_ptr<View> shownTitleView_;
    std::map<const Button*, std::weak_ptr<BarButtonItem>> buttonItems_;
};

}  // namespace platform::ui
