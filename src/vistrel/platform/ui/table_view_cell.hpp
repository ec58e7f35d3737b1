#pragma once
// A row of a table: a reusable cell with a text label in its content view and, unless
// its selection style is none, a grey background while it is selected or highlighted.
#include <memory>

#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/reusable_cell.hpp"

namespace platform::ui {

enum class TableViewCellSelectionStyle { none, defaultStyle };

class TableViewCell : public ReusableCell {
public:
    explicit TableViewCell(const Rect& frame = {});

    // Made on first use, inside the content view, inset by the cell's margins.
    Label& textLabel();

    TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(TableViewCellSelectionStyle style);

    static constexpr double margin = 15;
    static Color selectedBackgroundColor() { return Color::rgba(0.85, 0.85, 0.85, 1); }

    void layoutSubviews() override;

protected:
    void selectionDidChange() override;

private:
    std::shared_ptr<View> selectedBackground_;
    std::shared_ptr<Label> textLabel_;
    TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::defaultStyle;
};

}  // namespace platform::ui
