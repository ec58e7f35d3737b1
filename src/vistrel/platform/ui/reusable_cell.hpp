#pragma once
// What the cells of tables and collections share: a content view that fills the cell
// (the cell's own subviews go into it), a reuse identifier, and the selected and
// highlighted states that the list sets.
#include <memory>
#include <string>

#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class ReusableCell : public View {
public:
    explicit ReusableCell(const Rect& frame = {});

    View& contentView() const { return *contentView_; }
    const std::shared_ptr<View>& contentViewPointer() const { return contentView_; }

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted);

    // Called when the list hands the cell out again; clears the selection and highlight.
    virtual void prepareForReuse();

    void layoutSubviews() override;

protected:
    // After the selected or highlighted state changed.
    virtual void selectionDidChange() { setNeedsDisplay(); }

private:
    std::shared_ptr<View> contentView_;
    std::string reuseIdentifier_;
    bool selected_ = false;
    bool highlighted_ = false;
};

}  // namespace platform::ui
