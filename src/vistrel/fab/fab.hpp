#pragma once
// The floating action button: a round view over a screen that shows a plus sign or an
// image and, on a tap, opens an animated column of items (FabItem). A button made
// without a frame places itself in a bottom corner of its superview (left in
// right-to-left mode) and moves above the keyboard; one made with a frame stays where
// its creator put it and takes its size from that frame. Main thread only.
//
// The members are implemented by concern: the properties (fab.cpp), drawing
// (fab_drawing.cpp), items (fab_items.cpp), opening and closing (fab_opening.cpp), the
// item animations (fab_item_animations.cpp), touches and superview tracking
// (fab_touches.cpp) and placement with the keyboard (fab_placement.cpp).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/fab/fab_delegate.hpp"
#include "vistrel/fab/fab_item.hpp"
#include "vistrel/platform/dispatch/group.hpp"
#include "vistrel/platform/graphics/path.hpp"
#include "vistrel/platform/ui/control.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/platform/ui/shape_layer.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace vistrel {

class FabManager;
class FabSuperviewTracking;

// How the items come and go.
enum class FabOpenAnimationType { pop, fade, slideLeft, slideUp, slideDown, none };

class Fab : public platform::ui::View {
public:
    using Color = platform::ui::Color;
    using Image = platform::graphics::Image;
    using Rect = platform::ui::Rect;
    using Point = platform::ui::Point;

    static constexpr double defaultSize = 56;

    // A button that places itself, `size` points wide.
    Fab();
    explicit Fab(double size);
    // A button at the frame its creator gives; its size is the frame's smaller side.
    explicit Fab(const Rect& frame);
    // As a storyboard makes one: a given frame, and not clipping its items.
    static std::shared_ptr<Fab> fromStoryboard(const Rect& frame);
    ~Fab() override;

    // The shared host of the global button, and the right-to-left switch.
    static FabManager& global();

    // ---- Properties ----
    const std::vector<std::shared_ptr<FabItem>>& items() const { return items_; }
    // Diameter; a change asks for a redraw, then centres the items on the button again.
    double size() const { return size_; }
    void setSize(double size);
    // From the side and bottom edges; a change asks for a redraw.
    double paddingX() const { return paddingX_; }
    void setPaddingX(double padding);
    double paddingY() const { return paddingY_; }
    void setPaddingY(double padding);
    bool autoCloseOnTap = true;
    // How far the plus sign (or image) turns while the menu is open.
    double rotationDegrees = -45;
    // Seconds between one item's animation and the next.
    double animationSpeed = 0.1;
    Color buttonColor;  // the primary theme colour when the button was made
    const std::optional<Image>& buttonImage() const { return buttonImage_; }
    void setButtonImage(std::optional<Image> image);
    Color plusColor = Color::rgba(0.2, 0.2, 0.2, 1);
    Color overlayColor = Color::clear();
    double itemSpace = 14;
    // Also resizes the present items.
    double itemSize() const { return itemSize_; }
    void setItemSize(double size);
    Color itemButtonColor = Color::white();  // kept for readers; items take the primary colour
    Color itemTitleColor = Color::white();
    std::optional<Color> itemImageColor;
    bool hasShadow = true;
    Color itemShadowColor = Color::black();
    bool closed() const { return closed_; }
    bool respondsToKeyboard = true;
    FabOpenAnimationType openAnimationType = FabOpenAnimationType::pop;
    // Widens the button's frame into its paddings, for a bigger target.
    bool friendlyTap = true;
    // Stays in the visible corner of a scroll view that holds it; ignores the keyboard.
    bool sticky = false;
    std::shared_ptr<FabDelegate> fabDelegate() const { return fabDelegate_.lock(); }
    void setFabDelegate(const std::shared_ptr<FabDelegate>& delegate) { fabDelegate_ = delegate; }

    // What the drawing built, for readers.
    const platform::ui::ShapeLayer& circleLayer() const { return *circleLayer_; }
    const platform::ui::ShapeLayer& plusLayer() const { return *plusLayer_; }
    const platform::ui::ShapeLayer& tintLayer() const { return *tintLayer_; }
    const std::shared_ptr<platform::ui::ImageView>& buttonImageView() const { return buttonImageView_; }
    const std::shared_ptr<platform::ui::Control>& overlayView() const { return overlayView_; }

    // ---- Opening and closing (fab_opening.cpp) ----
    void open();
    void close();
    // Opens a closed menu and closes an open one; with no items only tells the delegate.
    void toggle();

    // ---- Items (fab_items.cpp) ----
    // Centres the item on the button, transparent, and adds it. An item already in a
    // menu (this one or another) leaves it first.
    void addItem(const std::shared_ptr<FabItem>& item);
    // Items with the menu's default look. A position of none puts the title on the left.
    std::shared_ptr<FabItem> addItem(const std::string& title);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<FabItemLabelPositionType> titlePosition);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<Image> icon);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<Image> icon,
                                     std::optional<FabItemLabelPositionType> titlePosition);
    std::shared_ptr<FabItem> addItem(const std::string& title, FabItem::Handler handler);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<FabItemLabelPositionType> titlePosition,
                                     FabItem::Handler handler);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<Image> icon, FabItem::Handler handler);
    std::shared_ptr<FabItem> addItem(const std::string& title, std::optional<Image> icon,
                                     std::optional<FabItemLabelPositionType> titlePosition, FabItem::Handler handler);
    std::shared_ptr<FabItem> addItem(const Image& icon);
    std::shared_ptr<FabItem> addItem(const Image& icon, FabItem::Handler handler);
    // Nothing when the item is not in the menu.
    void removeItem(const FabItem& item);
    // False, with a log line, when the index is out of range.
    bool removeItem(std::size_t index);

    // ---- View overrides ----
    void draw(const Rect& rect) override;
    std::shared_ptr<platform::ui::View> hitTest(Point point, const platform::ui::Event* event) override;
    void touchesBegan(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void touchesEnded(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void touchesCancelled(const platform::ui::TouchSet& touches, const platform::ui::Event* event) override;
    void willMoveToSuperview(platform::ui::View* newSuperview) override;
    void didMoveToSuperview() override;

private:
    friend class FabSuperviewTracking;
    struct DefaultsTag {};
    explicit Fab(DefaultsTag);

    std::shared_ptr<Fab> strongSelf();
    void send(void (FabDelegate::*callback)(Fab&));
    // The items that are really this menu's views, in order.
    std::vector<std::shared_ptr<FabItem>> attachedItems() const;

    // Drawing.
    void setCircleLayer();
    void setPlusLayer();
    void setButtonImageView();
    void setShadow();
    void setTintLayer();
    void setOverlayView();
    void setOverlayFrame();
    platform::graphics::Path plusBezierPath() const;

    // Items.
    void itemDefaultSet(FabItem& item);
    std::shared_ptr<FabItem> addDefaultItem(const std::optional<std::string>& title, std::optional<Image> icon,
                                            bool setsPosition, std::optional<FabItemLabelPositionType> position,
                                            FabItem::Handler handler);

    // Item animations; the opening ones take the items first to last, closing last to first.
    void animateItems(bool opening, const platform::dispatch::Group& group);

    // Touches.
    Rect determineTapArea(FabItem& item) const;
    void observeSuperviewChange(platform::ui::View& object, const std::string& keyPath);

    // Placement.
    void setBottomFrameAccordingToRTL(double keyboardHeight = 0);
    void setLeftBottomFrame(double keyboardHeight);
    void setRightBottomFrame(double keyboardHeight);
    void setBottomFrame(double x, double keyboardHeight);
    Rect containerBounds() const;
    void recalculateItemsOrigin();
    // Takes the size from the frame's smaller side, only when that changes it.
    void deriveSizeFromFrame();
    void setObserver();
    void deviceOrientationDidChange(const platform::ui::Notification& notification);
    void keyboardWillShow(const platform::ui::Notification& notification);
    void keyboardWillHide(const platform::ui::Notification& notification);

    std::vector<std::shared_ptr<FabItem>> items_;
    double size_ = defaultSize;
    double paddingX_ = 14;
    double paddingY_ = 14;
    std::optional<Image> buttonImage_;
    double itemSize_ = 42;
    bool closed_ = true;
    std::weak_ptr<FabDelegate> fabDelegate_;

    std::shared_ptr<platform::ui::ShapeLayer> circleLayer_ = std::make_shared<platform::ui::ShapeLayer>();
    std::shared_ptr<platform::ui::ShapeLayer> plusLayer_ = std::make_shared<platform::ui::ShapeLayer>();
    std::shared_ptr<platform::ui::ImageView> buttonImageView_ = std::make_shared<platform::ui::ImageView>();
    std::shared_ptr<platform::ui::ShapeLayer> tintLayer_ = std::make_shared<platform::ui::ShapeLayer>();
    std::shared_ptr<platform::ui::Control> overlayView_ = std::make_shared<platform::ui::Control>();
    bool overlayViewDidCompleteOpenAnimation_ = true;
    bool isCustomFrame_ = false;

    // Where a keyboard found the button, to put it back when the keyboard hides.
    struct KeyboardReturn {
        Rect frame;
        platform::ui::AffineTransform transform;
    };
    std::optional<KeyboardReturn> beforeKeyboard_;

    std::shared_ptr<FabSuperviewTracking> tracking_;
    std::vector<platform::ui::ObserverToken> notificationTokens_;
};

}  // namespace vistrel
