#include "vistrel/screens/actions/image_action_table_view_cell.hpp"

#include <algorithm>
#include <utility>

#include "vistrel/core/height_for_view.hpp"
#include "vistrel/model/themes.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/presentation/action_view_model.hpp"
#include "vistrel/screens/actions/remote_image.hpp"

namespace vistrel {

using platform::graphics::Color;
using platform::ui::ContentMode;
using platform::ui::LayoutConstraint;
using Theme = VistrelActionTheme;

namespace {

void setConstant(const std::weak_ptr<LayoutConstraint>& outlet, double constant) {
    if (auto constraint = outlet.lock()) constraint->setConstant(constant);
}

double constantOf(const std::weak_ptr<LayoutConstraint>& outlet) {
    auto constraint = outlet.lock();
    return constraint ? constraint->constant() : 0;
}

// Offset of an item's centre from the button's centre that puts its edge `space` inside
// the button's edge on that side (negative: up or left).
double edgeOffset(double buttonSide, double itemSide, double space) { return buttonSide / 2 - itemSide / 2 - space; }

// Addresses that name a GIF go through the GIF decoder (a case-sensitive test). The
// picture is decoded to cover `shownAt` points.
void loadInto(const std::shared_ptr<platform::ui::ImageView>& view, const std::string& address,
              platform::graphics::Size shownAt, RemoteImageCompletion completion) {
    view->setImage(std::nullopt);  // also overtakes any load still running for this view
    if (address.empty()) return;
    const RemoteImagePixelSize pixels = remoteImagePixelSize(shownAt);
    if (address.find("gif") != std::string::npos)
        gifFromServerURL(view, address, std::move(completion), pixels);
    else
        imageFromServerURL(view, address, std::move(completion), pixels);
}

}  // namespace

ImageActionTableViewCell::ImageActionTableViewCell(const platform::ui::Rect& frame) : TableViewCell(frame) {}

void ImageActionTableViewCell::configureWithActionViewModel(std::shared_ptr<ActionViewModel> viewModel) {
    if (!viewModel) return;
    layoutIfNeeded();
    contentView().setBackgroundColor(Color::clear());
    setBackgroundColor(Color::clear());
    viewModel_ = viewModel;
    const auto button = buttonView.lock();
    const double height = button ? button->bounds().height() : 0;
    const double width = button ? button->bounds().width() : 0;

    setConstant(txtLeadingConstraint, textInset);
    setConstant(txtTrailingConstraint, textInset);
    configureButton(*viewModel, height);
    loadBackgroundImage(viewModel);
    const double textHeight = configureText(*viewModel, height);
    configureIcon(*viewModel, width, height, textHeight);
}

void ImageActionTableViewCell::configureButton(const ActionViewModel& model, double height) {
    auto button = buttonView.lock();
    if (!button) return;
    button->setBackgroundColor(model.buttonDisplay() ? model.buttonBackgroundColor() : Color::clear());
    button->layer().setCornerRadius(std::min(static_cast<double>(model.buttonRadius()), height / 2));
}

void ImageActionTableViewCell::loadBackgroundImage(const std::shared_ptr<ActionViewModel>& model) {
    auto view = buttonBackgroundImageView.lock();
    if (!view) return;
    auto cell = std::static_pointer_cast<ImageActionTableViewCell>(shared_from_this());
    // Shown at the button's height, and across its width when it covers the button.
    const auto button = buttonView.lock();
    const platform::graphics::Size shownAt = button ? button->bounds().size : view->bounds().size;
    // A failed load calls back on the session's queue: the layout always moves to main.
    loadInto(view, model->buttonBackgroundImage(), shownAt, [cell, model] {
        platform::dispatch::main().async([cell, model] { cell->layOutBackgroundImage(model); });
    });
}

void ImageActionTableViewCell::layOutBackgroundImage(const std::shared_ptr<ActionViewModel>& model) {
    auto view = buttonBackgroundImageView.lock();
    auto button = buttonView.lock();
    if (!view || !button || model != viewModel_ || !view->image()) return;
    const double height = button->bounds().height();
    const double width = button->bounds().width();
    const auto imageSize = view->image()->size();
    if (imageSize.height <= 0) return;
    const double imageWidth = height * imageSize.width / imageSize.height;
    setConstant(buttonBackgroundImageWidthConstraint, imageWidth);
    if (model->buttonBackgroundImageSize() == ImageSize::contain) {
        view->setContentMode(ContentMode::scaleAspectFit);
        double offset = 0;
        switch (model->buttonBackgroundImagePosition()) {
            case HorizontalPosition::left: offset = -(width / 2 - imageWidth / 2); break;
            case HorizontalPosition::right: offset = width / 2 - imageWidth / 2; break;
            case HorizontalPosition::center: break;
        }
        setConstant(buttonBackgroundImageHorizontalAlignmentConstraint, offset);
    } else {
        setConstant(buttonBackgroundImageHorizontalAlignmentConstraint, 0);
        setConstant(buttonBackgroundImageWidthConstraint, width);
        view->setContentMode(ContentMode::scaleAspectFill);
    }
}

// Returns the height of the text block.
double ImageActionTableViewCell::configureText(const ActionViewModel& model, double height) {
    const std::string name = model.name();
    const auto font = model.textFont();
    if (auto label = txtLabel.lock()) {
        label->setText(name);
        label->setHidden(!model.textDisplay());
        label->setTextColor(model.textColor());
        label->setFont(font);
        label->setNumberOfLines(2);
        label->setTextAlignment(nsTextAlignment(model.textHorizontalPosition()));
    }
    if (auto box = txtBackgroundView.lock()) box->setBackgroundColor(model.textBackgroundColor());
    // Measured at the full width of the row, as the label may grow to it.
    const double measured = font ? heightForView(name, *font, contentView().bounds().width(), 2) : 0;
    const double textHeight = measured + 2 * Theme::iconTopSpace;
    setConstant(txtHeightConstraint, textHeight);
    switch (model.textVerticalPosition()) {
        case VerticalPosition::top: setConstant(txtVerticalAlignmentConstraint, -(height / 2 - textHeight / 2)); break;
        case VerticalPosition::center: setConstant(txtVerticalAlignmentConstraint, 0); break;
        case VerticalPosition::bottom: setConstant(txtVerticalAlignmentConstraint, height / 2 - textHeight / 2); break;
    }
    return textHeight;
}

void ImageActionTableViewCell::configureIcon(const ActionViewModel& model, double width, double height,
                                             double textHeight) {
    if (auto icon = iconImageView.lock()) {
        const double side = model.iconSize();
        loadInto(icon, model.iconUrl(), {side, side}, {});
        icon->setHidden(!model.iconDisplay());
    }
    const double iconSide = model.iconSize();
    setConstant(iconWidthConstraint, iconSide);
    setConstant(iconHeightConstraint, iconSide);

    const VerticalPosition iconVertical = model.iconVerticalPosition();
    const VerticalPosition textVertical = model.textVerticalPosition();
    switch (iconVertical) {
        case VerticalPosition::top:
            setConstant(iconVerticalAlignmentConstraint, -edgeOffset(height, iconSide, Theme::iconTopSpace));
            break;
        case VerticalPosition::center: setConstant(iconVerticalAlignmentConstraint, 0); break;
        case VerticalPosition::bottom:
            setConstant(iconVerticalAlignmentConstraint, edgeOffset(height, iconSide, Theme::iconBottomSpace));
            break;
    }
    const HorizontalPosition iconHorizontal = model.iconHorizontalPosition();
    switch (iconHorizontal) {
        case HorizontalPosition::left:
            setConstant(iconHorizontalAlignmentConstraint, -edgeOffset(width, iconSide, Theme::iconLeadingSpace));
            break;
        case HorizontalPosition::center: setConstant(iconHorizontalAlignmentConstraint, 0); break;
        case HorizontalPosition::right:
            setConstant(iconHorizontalAlignmentConstraint, edgeOffset(width, iconSide, Theme::iconTrailingSpace));
            break;
    }

    // Room for the icon beside a text on the same line.
    const double room = iconSide + 2 * Theme::iconTrailingSpace;
    if (iconVertical == textVertical && model.iconDisplay()) {
        if (iconHorizontal == HorizontalPosition::left)
            setConstant(txtLeadingConstraint, room);
        else if (iconHorizontal == HorizontalPosition::right)
            setConstant(txtTrailingConstraint, room);
    }
    // A small icon is centred on the text block it shares an edge with.
    if (iconSide < textHeight && iconVertical == textVertical && iconVertical != VerticalPosition::center)
        setConstant(iconVerticalAlignmentConstraint, constantOf(txtVerticalAlignmentConstraint));
    // A style silent about the icon keeps the icon's place on the left.
    if (!model.iconStyleAvailable()) {
        setConstant(iconHorizontalAlignmentConstraint, -edgeOffset(width, iconSide, Theme::iconLeadingSpace));
        setConstant(txtLeadingConstraint, iconSide + 2 * Theme::iconLeadingSpace);
    }
}

}  // namespace vistrel
