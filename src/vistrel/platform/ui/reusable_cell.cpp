#include "vistrel/platform/ui/reusable_cell.hpp"

namespace platform::ui {

ReusableCell::ReusableCell(const Rect& frame) : View(frame), contentView_(std::make_shared<View>(bounds())) {
    addSubview(contentView_);
}

void ReusableCell::setSelected(bool selected) {
    if (selected_ == selected) return;
    selected_ = selected;
    selectionDidChange();
}

void ReusableCell::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) return;
    highlighted_ = highlighted;
    selectionDidChange();
}

void ReusableCell::prepareForReuse() {
    setSelected(false);
    setHighlighted(false);
}

void ReusableCell::layoutSubviews() {
    contentView_->setFrame(bounds());
    View::layoutSubviews();
}

}  // namespace platform::ui
