#include "vistrel/platform/ui/button.hpp"

#include <algorithm>

#include "vistrel/platform/graphics/font_registry.hpp"

namespace platform::ui {

Button::Button(ButtonType type, const Rect& frame)
    : Control(frame), type_(type), titleLabel_(std::make_shared<Label>()), imageView_(std::make_shared<ImageView>()) {
    titleLabel_->setFont(graphics::FontRegistry::shared().defaultFont(defaultFontSize));
    titleLabel_->setHidden(true);
    imageView_->setHidden(true);
    addSubview(imageView_);
    addSubview(titleLabel_);
    updateContent();
}

template <class V>
std::optional<V> Button::lookup(const std::map<unsigned, V>& values, ControlState state) {
    if (auto it = values.find(static_cast<unsigned>(state)); it != values.end()) return it->second;
    if (auto it = values.find(static_cast<unsigned>(ControlState::normal)); it != values.end()) return it->second;
    return std::nullopt;
}

void Button::setTitle(std::optional<std::string> title, ControlState state) {
    if (title) titles_[static_cast<unsigned>(state)] = std::move(*title);
    else titles_.erase(static_cast<unsigned>(state));
    updateContent();
}

std::optional<std::string> Button::title(ControlState state) const { return lookup(titles_, state); }

void Button::setTitleColor(std::optional<Color> color, ControlState state) {
    if (color) titleColors_[static_cast<unsigned>(state)] = *color;
    else titleColors_.erase(static_cast<unsigned>(state));
    updateContent();
}

std::optional<Color> Button::titleColor(ControlState state) const { return lookup(titleColors_, state); }

void Button::setImage(std::optional<Image> image, ControlState state) {
    if (image) images_.insert_or_assign(static_cast<unsigned>(state), std::move(*image));
    else images_.erase(static_cast<unsigned>(state));
    updateContent();
}

std::optional<Image> Button::image(ControlState state) const { return lookup(images_, state); }

Color Button::currentTitleColor() const {
    if (auto color = titleColor(state())) return *color;
    return type_ == ButtonType::system ? tintColor() : Color::white();
}

void Button::setContentEdgeInsets(EdgeInsets insets) {
    contentInsets_ = insets;
    setNeedsLayout();
}

void Button::stateDidChange() {
    Control::stateDidChange();
    updateContent();
}

void Button::updateContent() {
    auto title = currentTitle();
    titleLabel_->setHidden(!title);
    titleLabel_->setText(title);
    titleLabel_->setTextColor(currentTitleColor());
    auto image = currentImage();
    if (image && type_ == ButtonType::system && image->renderingMode() == RenderingMode::automatic)
        image = image->withRenderingMode(RenderingMode::alwaysTemplate);
    imageView_->setHidden(!image);
    imageView_->setImage(std::move(image));
    setNeedsLayout();
}

Size Button::sizeThatFits(Size) const {
    const Size image = imageView_->sizeThatFits({});
    const Size title = titleLabel_->text() ? titleLabel_->sizeThatFits({}) : Size{};
    return {image.width + title.width + contentInsets_.left + contentInsets_.right,
            std::max(image.height, title.height) + contentInsets_.top + contentInsets_.bottom};
}

void Button::layoutSubviews() {
    Control::layoutSubviews();
    const Rect content = bounds().inset(contentInsets_);
    const Size image = imageView_->sizeThatFits({});
    Size title = titleLabel_->text() ? titleLabel_->sizeThatFits({}) : Size{};
    title.width = std::min(title.width, std::max(0.0, content.width() - image.width));
    const double left = content.midX() - (image.width + title.width) / 2;
    imageView_->setFrame({left, content.midY() - image.height / 2, image.width, image.height});
    titleLabel_->setFrame({left + image.width, content.midY() - title.height / 2, title.width, title.height});
}

}  // namespace platform::ui
