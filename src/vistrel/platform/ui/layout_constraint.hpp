#pragma once
// Layout constraints, as far as the screens need them: fixed sizes, centre offsets and
// edge insets, each with a constant that can change later. A constraint ties an item to
// its superview or a sibling; the superview's layout pass resolves them by equality.
#include <memory>
#include <optional>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;

enum class LayoutAttribute { width, height, centerX, centerY, leading, trailing, top, bottom };

class LayoutConstraint : public std::enable_shared_from_this<LayoutConstraint> {
public:
    // width / height: the item's size is the related item's plus `constant`, or, with no
    //   related item, `constant` itself.
    // centerX / centerY: the item's centre is the related item's plus `constant`
    //   (negative: left or up).
    // leading / top / trailing / bottom: the item's edge lies `constant` inside the
    //   related item's same edge (the superview when none is given).
    // The constraint is inactive until activated; the item holds it while it is active,
    // and it holds both views weakly.
    static std::shared_ptr<LayoutConstraint> make(const std::shared_ptr<View>& item, LayoutAttribute attribute,
                                                  const std::shared_ptr<View>& relatedItem, double constant);

    LayoutAttribute attribute() const { return attribute_; }
    std::shared_ptr<View> item() const { return item_.lock(); }
    std::shared_ptr<View> relatedItem() const { return related_.lock(); }

    double constant() const { return constant_; }
    // Marks the item's superview for layout.
    void setConstant(double constant);

    bool isActive() const { return active_; }
    void setActive(bool active);

    // Where the constraint puts the item, given its current frame and the related
    // rectangle in the item's superview space.
    void apply(Rect& frame, const Rect& related) const;
    // The related item's bounds in the item's superview space; none when the item has
    // no superview or the related item is gone.
    std::optional<Rect> relatedRect() const;

private:
    LayoutConstraint(const std::shared_ptr<View>& item, LayoutAttribute attribute,
                     const std::shared_ptr<View>& related, double constant)
        : item_(item), related_(related), hasRelated_(related != nullptr), attribute_(attribute), constant_(constant) {}
    void markForLayout() const;

    std::weak_ptr<View> item_;
    std::weak_ptr<View> related_;
    bool hasRelated_ = false;
    LayoutAttribute attribute_;
    double constant_ = 0;
    bool active_ = false;
};

// Places `item` inside its superview by its active constraints: sizes first, then
// each axis by its edges (both edges set the size too), else its centre.
void resolveConstraints(View& item);

}  // namespace platform::ui
