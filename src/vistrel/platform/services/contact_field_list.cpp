#include "vistrel/platform/services/contact_field_list.hpp"

#include <algorithm>

#include "vistrel/platform/ui/label.hpp"

namespace platform::services {

namespace {
constexpr double margin = 16;
constexpr double nameWidth = 96;
}  // namespace

FieldListView::FieldListView(const ui::Rect& frame) : View(frame) {
    setBackgroundColor(ui::Color::white());
}

void FieldListView::setFields(std::vector<DisplayedField> fields) {
    fields_ = std::move(fields);
    while (!subviews().empty()) subviews().back()->removeFromSuperview();
    for (const DisplayedField& field : fields_) {
        auto name = std::make_shared<ui::Label>();
        name->setText(field.name);
        name->setTextColor(ui::Color::gray());
        addSubview(name);
        auto value = std::make_shared<ui::Label>();
        value->setText(field.value);
        addSubview(value);
    }
    setNeedsLayout();
}

void FieldListView::setTopInset(double inset) {
    topInset_ = std::max(0.0, inset);
    setNeedsLayout();
}

void FieldListView::layoutSubviews() {
    View::layoutSubviews();
    const double width = bounds().width();
    const auto& rows = subviews();
    for (std::size_t i = 0; i + 1 < rows.size(); i += 2) {
        const double y = topInset_ + static_cast<double>(i / 2) * rowHeight;
        rows[i]->setFrame({margin, y, nameWidth, rowHeight});
        rows[i + 1]->setFrame({margin + nameWidth, y, std::max(0.0, width - 2 * margin - nameWidth), rowHeight});
    }
}

void appendField(std::vector<DisplayedField>& fields, std::string name, const std::string& value) {
    if (!value.empty()) fields.push_back({std::move(name), value});
}

}  // namespace platform::services
