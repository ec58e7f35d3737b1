#include "vistrel/platform/ui/layout_constraint.hpp"

#include <algorithm>

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

std::shared_ptr<LayoutConstraint> LayoutConstraint::make(const std::shared_ptr<View>& item, LayoutAttribute attribute,
                                                         const std::shared_ptr<View>& relatedItem, double constant) {
    return std::shared_ptr<LayoutConstraint>(new LayoutConstraint(item, attribute, relatedItem, constant));
}

void LayoutConstraint::markForLayout() const {
    if (auto view = item_.lock()) {
        if (auto parent = view->superview()) parent->setNeedsLayout();
        view->setNeedsLayout();
    }
}

void LayoutConstraint::setConstant(double constant) {
    constant_ = constant;
    markForLayout();
}

void LayoutConstraint::setActive(bool active) {
    auto view = item_.lock();
    if (active == active_ || !view) return;
    active_ = active;
    auto& list = view->constraints_;
    // The item holds the constraint while it is active; the constraint only points back.
    if (active)
        list.push_back(shared_from_this());
    else
        list.erase(std::remove(list.begin(), list.end(), shared_from_this()), list.end());
    markForLayout();
}

std::optional<Rect> LayoutConstraint::relatedRect() const {
    auto view = item_.lock();
    auto parent = view ? view->superview() : nullptr;
    if (!parent) return std::nullopt;
    auto related = related_.lock();
    const bool sizeOnly = attribute_ == LayoutAttribute::width || attribute_ == LayoutAttribute::height;
    if (!hasRelated_) return sizeOnly ? Rect{} : parent->bounds();
    if (!related) return std::nullopt;
    if (related == parent) return parent->bounds();
    return related->convertRect(related->bounds(), parent.get());
}

void LayoutConstraint::apply(Rect& f, const Rect& r) const {
    switch (attribute_) {
    case LayoutAttribute::width: f.size.width = (hasRelated_ ? r.width() : 0) + constant_; break;
    case LayoutAttribute::height: f.size.height = (hasRelated_ ? r.height() : 0) + constant_; break;
    case LayoutAttribute::centerX: f.origin.x = r.midX() + constant_ - f.size.width / 2; break;
    case LayoutAttribute::centerY: f.origin.y = r.midY() + constant_ - f.size.height / 2; break;
    case LayoutAttribute::leading: f.origin.x = r.minX() + constant_; break;
    case LayoutAttribute::trailing: f.origin.x = r.maxX() - constant_ - f.size.width; break;
    case LayoutAttribute::top: f.origin.y = r.minY() + constant_; break;
    case LayoutAttribute::bottom: f.origin.y = r.maxY() - constant_ - f.size.height; break;
    }
}

void resolveConstraints(View& item) {
    if (item.constraints().empty() || !item.superview()) return;
    // A copy: the list is the item's and setting the frame may run other code.
    const auto constraints = item.constraints();
    Rect frame = item.frame();
    const LayoutConstraint* edges[8] = {};
    for (const auto& c : constraints) {
        auto related = c->relatedRect();
        if (!related) continue;
        switch (c->attribute()) {
        case LayoutAttribute::width:
        case LayoutAttribute::height: c->apply(frame, *related); break;
        default: edges[static_cast<int>(c->attribute())] = c.get(); break;
        }
    }
    auto axis = [&](LayoutAttribute first, LayoutAttribute second, LayoutAttribute center, bool horizontal) {
        const LayoutConstraint* a = edges[static_cast<int>(first)];
        const LayoutConstraint* b = edges[static_cast<int>(second)];
        const LayoutConstraint* m = edges[static_cast<int>(center)];
        if (a && b) {
            const Rect ra = *a->relatedRect(), rb = *b->relatedRect();
            const double lo = (horizontal ? ra.minX() : ra.minY()) + a->constant();
            const double hi = (horizontal ? rb.maxX() : rb.maxY()) - b->constant();
            if (horizontal) {
                frame.origin.x = lo;
                frame.size.width = std::max(0.0, hi - lo);
            } else {
                frame.origin.y = lo;
                frame.size.height = std::max(0.0, hi - lo);
            }
        } else if (const LayoutConstraint* one = a ? a : b ? b : m) {
            one->apply(frame, *one->relatedRect());
        }
    };
    axis(LayoutAttribute::leading, LayoutAttribute::trailing, LayoutAttribute::centerX, true);
    axis(LayoutAttribute::top, LayoutAttribute::bottom, LayoutAttribute::centerY, false);
    item.setFrame(frame);
}

}  // namespace platform::ui
