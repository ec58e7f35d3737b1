#pragma once
// The body of the contact and event screens: one row per field, its name in grey on the
// left and its value on the right, top to bottom. The rows are kept as data so that a
// test or the demo can read back what the screen shows.
#include <string>
#include <vector>

#include "vistrel/platform/ui/view.hpp"

namespace platform::services {

struct DisplayedField {
    std::string name;
    std::string value;

    bool operator==(const DisplayedField&) const = default;
};

class FieldListView : public ui::View {
public:
    static constexpr double rowHeight = 44;

    explicit FieldListView(const ui::Rect& frame = {});

    const std::vector<DisplayedField>& fields() const { return fields_; }
    // Replaces the rows.
    void setFields(std::vector<DisplayedField> fields);
    // Space left above the first row (for a translucent bar drawn over the view).
    double topInset() const { return topInset_; }
    void setTopInset(double inset);

    void layoutSubviews() override;

private:
    std::vector<DisplayedField> fields_;
    double topInset_ = 0;
};

// Appends the field when the value is not empty.
void appendField(std::vector<DisplayedField>& fields, std::string name, const std::string& value);

}  // namespace platform::services
