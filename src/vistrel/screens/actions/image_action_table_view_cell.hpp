#pragma once
// The row of the action list: one action drawn as a styled button (a rounded, coloured
// body with an optional background image, the action's name in a two-line label over a
// coloured text box, and an optional icon). The views and constraints come from the row
// prototype; configuring only sets view properties and constraint constants.
//
// A reused row never shows what the action before it showed: each configuration clears
// both images before it asks for the new ones, and a background load lays the image out
// only while the row still shows the view model the load was started for.
#include <memory>
#include <string_view>

#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/platform/ui/table_view_cell.hpp"

namespace vistrel {

class ActionViewModel;

class ImageActionTableViewCell : public platform::ui::TableViewCell {
public:
    static constexpr std::string_view reuseIdentifier = "ImageActionTableViewCell";
    // The inset of the text from the button's sides when no icon needs room.
    static constexpr double textInset = 8.0;

    // A cell without views or outlets; makeImageActionTableViewCell gives the prototype.
    explicit ImageActionTableViewCell(const platform::ui::Rect& frame = {});

    // Outlets, held weakly (the views belong to the row's view tree, the constraints to
    // their views). Offsets are centre to centre, negative up or left.
    std::weak_ptr<platform::ui::View> buttonView;
    std::weak_ptr<platform::ui::ImageView> buttonBackgroundImageView;
    std::weak_ptr<platform::ui::LayoutConstraint> buttonBackgroundImageWidthConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> buttonBackgroundImageHorizontalAlignmentConstraint;
    std::weak_ptr<platform::ui::Label> txtLabel;
    std::weak_ptr<platform::ui::View> txtBackgroundView;
    std::weak_ptr<platform::ui::LayoutConstraint> txtHeightConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> txtLeadingConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> txtTrailingConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> txtVerticalAlignmentConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> txtBackgroundViewVerticalAlignmentConstraint;
    std::weak_ptr<platform::ui::ImageView> iconImageView;
    std::weak_ptr<platform::ui::LayoutConstraint> iconWidthConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> iconHeightConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> iconVerticalAlignmentConstraint;
    std::weak_ptr<platform::ui::LayoutConstraint> iconHorizontalAlignmentConstraint;

    // The view model of the last configuration.
    const std::shared_ptr<ActionViewModel>& viewModel() const { return viewModel_; }

    // Draws the action. On the main thread, with a cell that already has the row's frame;
    // a cell whose outlets are not connected changes only what is connected.
    void configureWithActionViewModel(std::shared_ptr<ActionViewModel> viewModel);

private:
    void configureButton(const ActionViewModel& model, double height);
    void loadBackgroundImage(const std::shared_ptr<ActionViewModel>& model);
    // Sizes and places the background image the view shows, for the view model the load
    // was made for; nothing once the row shows another one.
    void layOutBackgroundImage(const std::shared_ptr<ActionViewModel>& model);
    double configureText(const ActionViewModel& model, double height);
    void configureIcon(const ActionViewModel& model, double width, double height, double textHeight);

    std::shared_ptr<ActionViewModel> viewModel_;
};

// The row prototype: a cell with its views and constraints and every outlet connected.
std::shared_ptr<ImageActionTableViewCell> makeImageActionTableViewCell();

}  // namespace vistrel
