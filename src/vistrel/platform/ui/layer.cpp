#include "vistrel/platform/ui/layer.hpp"

#include <algorithm>
#include <cmath>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view_private.hpp"

namespace platform::ui {

Layer::Layer() = default;

Layer::~Layer() {
    for (auto& sublayer : sublayers_) sublayer->superlayer_ = nullptr;
}

void Layer::geometryWillChange() {
    frameBefore_ = frame();
    boundsBefore_ = bounds_;
}

void Layer::geometryDidChange() {
    if (view_) detail::ViewAccess::layerGeometryDidChange(*view_, frameBefore_, boundsBefore_);
}

void Layer::setBounds(const Rect& bounds) {
    geometryWillChange();
    bounds_ = bounds;
    geometryDidChange();
}

void Layer::setPosition(Point position) {
    geometryWillChange();
    position_ = position;
    geometryDidChange();
}

void Layer::setAnchorPoint(Point anchorPoint) {
    geometryWillChange();
    anchorPoint_ = anchorPoint;
    geometryDidChange();
}

void Layer::setTransform(const AffineTransform& transform) {
    geometryWillChange();
    transform_ = transform;
    geometryDidChange();
}

AffineTransform Layer::transformToSuperlayer() const {
    const double ax = bounds_.origin.x + anchorPoint_.x * bounds_.size.width;
    const double ay = bounds_.origin.y + anchorPoint_.y * bounds_.size.height;
    return AffineTransform::translation(-ax, -ay)
        .concatenating(transform_)
        .concatenating(AffineTransform::translation(position_.x, position_.y));
}

Rect Layer::frame() const {
    return transformToSuperlayer().apply(Rect{bounds_.origin, bounds_.size});
}

void Layer::setFrame(const Rect& frame) {
    geometryWillChange();
    const Rect f = frame.standardized();
    Size size = f.size;
    if (!transform_.isIdentity()) {
        // The bounds size whose transformed box is the frame's size; a transform that
        // cannot be inverted keeps the bounds size as it is.
        if (auto inverse = transform_.inverted()) {
            AffineTransform linear = *inverse;
            linear.tx = linear.ty = 0;
            size = linear.apply(Rect{0, 0, f.size.width, f.size.height}).size;
        } else {
            size = bounds_.size;
        }
    }
    bounds_.size = size;
    position_ = {f.origin.x + anchorPoint_.x * f.size.width, f.origin.y + anchorPoint_.y * f.size.height};
    geometryDidChange();
}

bool Layer::isDescendant(const Layer& ancestor) const {
    for (const Layer* layer = this; layer; layer = layer->superlayer_)
        if (layer == &ancestor) return true;
    return false;
}

bool Layer::canAdopt(const Layer& layer) const {
    if (isDescendant(layer)) {
        log("Layer :: refusing to add a layer to itself or to one of its own sublayers");
        return false;
    }
    return true;
}

void Layer::detachForInsertion(const std::shared_ptr<Layer>& layer) {
    if (Layer* parent = layer->superlayer_) {
        auto& list = parent->sublayers_;
        list.erase(std::remove(list.begin(), list.end(), layer), list.end());
        layer->superlayer_ = nullptr;
    }
}

void Layer::addSublayer(std::shared_ptr<Layer> layer) { insertSublayer(std::move(layer), sublayers_.size() + 1); }

void Layer::insertSublayer(std::shared_ptr<Layer> layer, std::size_t index) {
    if (!layer || !canAdopt(*layer)) return;
    detachForInsertion(layer);
    index = std::min(index, sublayers_.size());
    layer->superlayer_ = this;
    sublayers_.insert(sublayers_.begin() + static_cast<std::ptrdiff_t>(index), std::move(layer));
}

void Layer::insertSublayerAbove(std::shared_ptr<Layer> layer, const Layer* sibling) {
    if (!layer || !canAdopt(*layer)) return;
    detachForInsertion(layer);
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                           [&](const auto& l) { return l.get() == sibling; });
    std::size_t index = it == sublayers_.end() ? sublayers_.size()
                                               : static_cast<std::size_t>(it - sublayers_.begin()) + 1;
    insertSublayer(std::move(layer), index);
}

void Layer::insertSublayerBelow(std::shared_ptr<Layer> layer, const Layer* sibling) {
    if (!layer || !canAdopt(*layer)) return;
    detachForInsertion(layer);
    auto it = std::find_if(sublayers_.begin(), sublayers_.end(),
                           [&](const auto& l) { return l.get() == sibling; });
    std::size_t index = it == sublayers_.end() ? 0 : static_cast<std::size_t>(it - sublayers_.begin());
    insertSublayer(std::move(layer), index);
}

void Layer::removeFromSuperlayer() {
    Layer* parent = superlayer_;
    if (!parent) return;
    auto& list = parent->sublayers_;
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& l) { return l.get() == this; });
    if (it == list.end()) return;
    // Keep this layer alive while it leaves the list that owns it.
    std::shared_ptr<Layer> self = *it;
    list.erase(it);
    superlayer_ = nullptr;
}

void Layer::drawContent(graphics::Canvas& canvas) const {
    if (view_) detail::ViewAccess::drawContent(*view_, canvas);
}

}  // namespace platform::ui
