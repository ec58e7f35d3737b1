#include "vistrel/platform/ui/table_view_cell.hpp"

namespace platform::ui {

TableViewCell::TableViewCell(const Rect& frame)
    : ReusableCell(frame), selectedBackground_(std::make_shared<View>(bounds())) {
    setBackgroundColor(Color::white());
    selectedBackground_->setBackgroundColor(selectedBackgroundColor());
    selectedBackground_->setHidden(true);
    insertSubview(selectedBackground_, 0);
}

Label& TableViewCell::textLabel() {
    if (!textLabel_) {
        textLabel_ = std::make_shared<Label>();
        contentView().addSubview(textLabel_);
        setNeedsLayout();
    }
    return *textLabel_;
}

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle style) {
    selectionStyle_ = style;
    selectionDidChange();
}

void TableViewCell::layoutSubviews() {
    ReusableCell::layoutSubviews();
    selectedBackground_->setFrame(bounds());
    if (textLabel_) {
        const Rect content = contentView().bounds();
        textLabel_->setFrame(content.inset({0, margin, 0, margin}));
    }
}

void TableViewCell::selectionDidChange() {
    ReusableCell::selectionDidChange();
    selectedBackground_->setHidden(selectionStyle_ == TableViewCellSelectionStyle::none ||
                                   !(isSelected() || isHighlighted()));
}

}  // namespace platform::ui
