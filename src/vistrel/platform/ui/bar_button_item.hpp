#pragma once
// An item of a navigation bar or toolbar: a title, an image, one of the system's items,
// or a custom view; with one action on a weakly held target.
#include <memory>
#include <optional>
#include <string>

#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/target_action.hpp"
#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;

enum class BarButtonItemStyle { plain, done };

enum class BarButtonSystemItem {
    done, cancel, edit, save, add, flexibleSpace, fixedSpace, compose, reply, action, organize,
    bookmarks, search, refresh, stop, camera, trash, play, pause, rewind, fastForward, undo, redo,
};

class BarButtonItem : public std::enable_shared_from_this<BarButtonItem> {
public:
    explicit BarButtonItem(std::optional<std::string> title = std::nullopt,
                           BarButtonItemStyle style = BarButtonItemStyle::plain);
    BarButtonItem(graphics::Image image, BarButtonItemStyle style);
    explicit BarButtonItem(BarButtonSystemItem systemItem);
    explicit BarButtonItem(std::shared_ptr<View> customView);
    virtual ~BarButtonItem() = default;

    const std::optional<std::string>& title() const { return title_; }
    void setTitle(std::optional<std::string> title) { title_ = std::move(title); }
    const std::optional<graphics::Image>& image() const { return image_; }
    void setImage(std::optional<graphics::Image> image) { image_ = std::move(image); }
    BarButtonItemStyle style() const { return style_; }
    void setStyle(BarButtonItemStyle style) { style_ = style; }
    std::optional<BarButtonSystemItem> systemItem() const { return systemItem_; }
    const std::shared_ptr<View>& customView() const { return customView_; }
    void setCustomView(std::shared_ptr<View> view) { customView_ = std::move(view); }
    std::optional<Color> tintColor() const { return tintColor_; }
    void setTintColor(std::optional<Color> color) { tintColor_ = color; }
    // For fixed spaces; 0 lets the bar decide.
    double width() const { return width_; }
    void setWidth(double width) { width_ = width; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // The one action: a member function taking nothing or the item; replaces any other.
    template <class T, class F>
    void setTarget(const std::shared_ptr<T>& target, F action) {
        action_ = {};
        action_.add(target, action, 1);
    }
    void clearTarget() { action_ = {}; }
    bool hasTarget() const { return action_.count(1) > 0; }

    // What a tap on the item does: the action, when the item is enabled and its target
    // is alive.
    void sendAction();

private:
    std::optional<std::string> title_;
    std::optional<graphics::Image> image_;
    BarButtonItemStyle style_ = BarButtonItemStyle::plain;
    std::optional<BarButtonSystemItem> systemItem_;
    std::shared_ptr<View> customView_;
    std::optional<Color> tintColor_;
    double width_ = 0;
    bool enabled_ = true;
    int tag_ = 0;
    TargetActionList<BarButtonItem> action_;
};

}  // namespace platform::ui
