// The row prototype of the action list: the button body fills the row above the gap
// below it; inside it, the background image as high as the body, the text box between
// its two insets with the label inside it, and the icon on top.
#include <memory>
#include <string>

#include "vistrel/model/themes.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/layout_constraint.hpp"
#include "vistrel/screens/actions/image_action_table_view_cell.hpp"

namespace vistrel {

using platform::ui::LayoutAttribute;
using platform::ui::LayoutConstraint;
using platform::ui::View;

namespace {

std::shared_ptr<LayoutConstraint> constrain(const std::shared_ptr<View>& item, LayoutAttribute attribute,
                                            const std::shared_ptr<View>& related, double constant) {
    auto constraint = LayoutConstraint::make(item, attribute, related, constant);
    constraint->setActive(true);
    return constraint;
}

}  // namespace

std::shared_ptr<ImageActionTableViewCell> makeImageActionTableViewCell() {
    auto cell = std::make_shared<ImageActionTableViewCell>();
    cell->setReuseIdentifier(std::string(ImageActionTableViewCell::reuseIdentifier));
    const auto content = cell->contentViewPointer();

    auto button = std::make_shared<View>();
    button->setClipsToBounds(true);  // the corners cut the background image too
    content->addSubview(button);
    constrain(button, LayoutAttribute::leading, nullptr, 0);
    constrain(button, LayoutAttribute::trailing, nullptr, 0);
    constrain(button, LayoutAttribute::top, nullptr, 0);
    constrain(button, LayoutAttribute::bottom, nullptr, VistrelActionTheme::buttonBottomSpace);

    auto background = std::make_shared<platform::ui::ImageView>();
    background->setContentMode(platform::ui::ContentMode::scaleAspectFill);
    button->addSubview(background);
    constrain(background, LayoutAttribute::top, nullptr, 0);
    constrain(background, LayoutAttribute::bottom, nullptr, 0);
    cell->buttonBackgroundImageWidthConstraint = constrain(background, LayoutAttribute::width, nullptr, 0);
    cell->buttonBackgroundImageHorizontalAlignmentConstraint =
        constrain(background, LayoutAttribute::centerX, button, 0);

    auto textBox = std::make_shared<View>();
    button->addSubview(textBox);
    cell->txtLeadingConstraint =
        constrain(textBox, LayoutAttribute::leading, nullptr, ImageActionTableViewCell::textInset);
    cell->txtTrailingConstraint =
        constrain(textBox, LayoutAttribute::trailing, nullptr, ImageActionTableViewCell::textInset);
    cell->txtHeightConstraint = constrain(textBox, LayoutAttribute::height, nullptr, 0);
    cell->txtVerticalAlignmentConstraint = constrain(textBox, LayoutAttribute::centerY, button, 0);

    auto label = std::make_shared<platform::ui::Label>();
    label->setNumberOfLines(2);
    textBox->addSubview(label);
    constrain(label, LayoutAttribute::leading, nullptr, 0);
    constrain(label, LayoutAttribute::trailing, nullptr, 0);
    constrain(label, LayoutAttribute::height, textBox, -2 * VistrelActionTheme::iconTopSpace);
    cell->txtBackgroundViewVerticalAlignmentConstraint = constrain(label, LayoutAttribute::centerY, textBox, 0);

    auto icon = std::make_shared<platform::ui::ImageView>();
    icon->setContentMode(platform::ui::ContentMode::scaleAspectFit);
    button->addSubview(icon);
    cell->iconWidthConstraint = constrain(icon, LayoutAttribute::width, nullptr, VistrelActionTheme::iconSize);
    cell->iconHeightConstraint = constrain(icon, LayoutAttribute::height, nullptr, VistrelActionTheme::iconSize);
    cell->iconHorizontalAlignmentConstraint = constrain(icon, LayoutAttribute::centerX, button, 0);
    cell->iconVerticalAlignmentConstraint = constrain(icon, LayoutAttribute::centerY, button, 0);

    cell->buttonView = button;
    cell->buttonBackgroundImageView = background;
    cell->txtLabel = label;
    cell->txtBackgroundView = textBox;
    cell->iconImageView = icon;
    return cell;
}

}  // namespace vistrel
