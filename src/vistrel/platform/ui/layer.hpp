#pragma once
// A layer: a rectangle of drawing with its own geometry, look and ordered sublayers.
// Every view is backed by one; a view's geometry and look are its layer's, so setting
// either side changes both. A parent holds its sublayers; the back link is not owning.
#include <memory>
#include <optional>
#include <vector>

#include "vistrel/platform/ui/types.hpp"

namespace platform::graphics {
class Canvas;
}

namespace platform::ui {

class View;

class Layer : public std::enable_shared_from_this<Layer> {
public:
    Layer();
    virtual ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // Geometry. The frame is the bounds moved so that the anchor point (a unit point of
    // the bounds, (0.5, 0.5) at first) lies on `position`, then transformed about it.
    Rect bounds() const { return bounds_; }
    void setBounds(const Rect& bounds);
    Point position() const { return position_; }
    void setPosition(Point position);
    Point anchorPoint() const { return anchorPoint_; }
    void setAnchorPoint(Point anchorPoint);
    AffineTransform transform() const { return transform_; }
    void setTransform(const AffineTransform& transform);
    // The smallest rectangle holding the transformed bounds, in the superlayer's space.
    Rect frame() const;
    // Moves the anchor point onto the frame's anchor and gives the bounds the size that
    // the transform maps onto the frame's size; the transform is kept.
    void setFrame(const Rect& frame);
    // From this layer's bounds space to its superlayer's.
    AffineTransform transformToSuperlayer() const;

    // Look.
    std::optional<Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color) { backgroundColor_ = color; }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    double borderWidth() const { return borderWidth_; }
    void setBorderWidth(double width) { borderWidth_ = width; }
    std::optional<Color> borderColor() const { return borderColor_; }
    void setBorderColor(std::optional<Color> color) { borderColor_ = color; }
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) { opacity_ = opacity; }
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }

    // Shadow: a copy of what the layer draws (sublayers included) in the shadow colour
    // at `shadowOpacity`, moved by `shadowOffset`. The radius is kept for readers; the
    // copy is drawn sharp.
    std::optional<Color> shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<Color> color) { shadowColor_ = color; }
    double shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(double opacity) { shadowOpacity_ = opacity; }
    Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Size offset) { shadowOffset_ = offset; }
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius) { shadowRadius_ = radius; }

    // Tree. Sublayers are drawn in order, the last on top.
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    Layer* superlayer() const { return superlayer_; }
    // Adds on top; a layer that is already a sublayer here moves to the top, and one
    // that has another superlayer leaves it. Adding the layer to itself or to one of
    // its own sublayers is refused with a log line.
    void addSublayer(std::shared_ptr<Layer> layer);
    // At `index` of the sublayers (cut to the count).
    void insertSublayer(std::shared_ptr<Layer> layer, std::size_t index);
    // Just above or below `sibling`; on top (above) or at the bottom (below) when
    // `sibling` is not a sublayer here.
    void insertSublayerAbove(std::shared_ptr<Layer> layer, const Layer* sibling);
    void insertSublayerBelow(std::shared_ptr<Layer> layer, const Layer* sibling);
    void removeFromSuperlayer();
    bool isDescendant(const Layer& ancestor) const;

    // The view this layer backs; none for a free-standing layer.
    View* view() const { return view_; }

    // Draws what the layer shows of its own (not background, border or sublayers) in
    // its bounds space: nothing here; a shape layer's path; a view's content.
    virtual void drawContent(graphics::Canvas& canvas) const;

private:
    friend class View;
    void geometryWillChange();
    void geometryDidChange();
    bool canAdopt(const Layer& layer) const;
    void detachForInsertion(const std::shared_ptr<Layer>& layer);

    Rect bounds_;
    Point position_;
    Point anchorPoint_{0.5, 0.5};
    AffineTransform transform_;

    std::optional<Color> backgroundColor_;
    double cornerRadius_ = 0;
    double borderWidth_ = 0;
    std::optional<Color> borderColor_ = Color::black();
    bool masksToBounds_ = false;
    double opacity_ = 1;
    bool hidden_ = false;

    std::optional<Color> shadowColor_ = Color::black();
    double shadowOpacity_ = 0;
    Size shadowOffset_{0, -3};
    double shadowRadius_ = 3;

    std::vector<std::shared_ptr<Layer>> sublayers_;
    Layer* superlayer_ = nullptr;
    View* view_ = nullptr;
    // Frame and bounds before the change in progress, for the view's observers.
    Rect frameBefore_, boundsBefore_;
};

}  // namespace platform::ui
