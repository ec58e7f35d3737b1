// A menu item: its lazily made title and icon, its drawing, and its taps.
#include "vistrel/fab/fab_item.hpp"

#include "vistrel/fab/fab.hpp"
#include "vistrel/fab/fab_manager.hpp"

namespace vistrel {

namespace ui = platform::ui;

namespace {

ui::Point operator+(ui::Point a, ui::Point b) { return {a.x + b.x, a.y + b.y}; }

}  // namespace

bool isSingleTap(const ui::TouchSet& touches) { return touches.size() == 1 && touches.front()->tapCount() == 1; }

FabItem::FabItem() : View(ui::Rect{0, 0, 42, 42}) { setBackgroundColor(Color::clear()); }

void FabItem::setSize(double size) {
    size_ = size;
    setFrame(ui::Rect{0, 0, size, size});
    ui::Label& label = titleLabel();
    ui::Rect f = label.frame();
    f.origin.y = size / 2 - f.height() / 2;
    label.setFrame(f);
    if (iconImageView_) centreIcon();
    setNeedsDisplay();
}

void FabItem::setTitleColor(const Color& color) {
    titleColor_ = color;
    titleLabel().setTextColor(color);
}

void FabItem::setImageSize(ui::Size size) {
    imageSize_ = size;
    if (!iconImageView_) return;
    iconImageView_->setFrame(ui::Rect{0, 0, size.width, size.height});
    centreIcon();
}

void FabItem::centreIcon() { iconImageView_->setCenter(ui::Point{size_ / 2, size_ / 2} + imageOffset); }

ui::Label& FabItem::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = std::make_shared<ui::Label>();
        titleLabel_->setTextColor(titleColor_);
        addSubview(titleLabel_);
    }
    return *titleLabel_;
}

ui::ImageView& FabItem::iconImageView() {
    if (!iconImageView_) {
        iconImageView_ = std::make_shared<ui::ImageView>(ui::Rect{0, 0, imageSize_.width, imageSize_.height});
        centreIcon();
        iconImageView_->setContentMode(ui::ContentMode::scaleAspectFill);
        addSubview(iconImageView_);
    }
    return *iconImageView_;
}

void FabItem::setTitle(std::optional<std::string> title) {
    title_ = std::move(title);
    ui::Label& label = titleLabel();
    label.setText(title_);
    label.sizeToFit();
    ui::Rect f = label.frame();
    if (titleLabelPosition == FabItemLabelPositionType::left) {
        f.origin.x = -f.width() - 10;
    } else {
        const ui::Rect icon = iconImageView().frame();
        f.origin.x = icon.origin.x + icon.width() + 20;
    }
    f.origin.y = size_ / 2 - f.height() / 2;
    label.setFrame(f);
    label.setTransform(FabManager::defaultInstance().rtlMode() ? ui::AffineTransform::scale(-1, 1)
                                                               : ui::AffineTransform::scale(1, 1));
}

void FabItem::setIcon(std::optional<platform::graphics::Image> icon) {
    icon_ = std::move(icon);
    iconImageView().setImage(icon_);
}

void FabItem::setIconTintColor(std::optional<Color> color) {
    iconTintColor_ = color;
    ui::ImageView& view = iconImageView();
    std::optional<platform::graphics::Image> templated;
    if (view.image()) templated = view.image()->withRenderingMode(platform::graphics::RenderingMode::alwaysTemplate);
    view.setTintColor(color);
    view.setImage(templated);
}

void FabItem::setItemBackgroundColor(std::optional<Color> color) {
    itemBackgroundColor_ = color;
    circleLayer_->setBackgroundColor(color);
}

double FabItem::columnWidth() const {
    auto fab = std::dynamic_pointer_cast<Fab>(superview());
    return fab ? fab->itemSize() : size_;
}

void FabItem::draw(const ui::Rect& rect) {
    View::draw(rect);
    createCircleLayer();
    setShadow();
    if (titleLabel_) bringSubviewToFront(titleLabel_.get());
    if (iconImageView_) bringSubviewToFront(iconImageView_.get());
}

void FabItem::createCircleLayer() {
    circleLayer_->setFrame(ui::Rect{columnWidth() / 2 - size_ / 2, 0, size_, size_});
    circleLayer_->setBackgroundColor(buttonColor);
    circleLayer_->setCornerRadius(size_ / 2);
    layer().addSublayer(circleLayer_);
}

void FabItem::createTintLayer() {
    tintLayer_->setFrame(ui::Rect{columnWidth() / 2 - size_ / 2, 0, size_, size_});
    tintLayer_->setBackgroundColor(Color::white(1, 0.2));
    tintLayer_->setCornerRadius(size_ / 2);
    layer().addSublayer(tintLayer_);
}

void FabItem::setShadow() {
    if (!hasShadow) return;
    circleLayer_->setShadowOffset({1, 1});
    circleLayer_->setShadowRadius(2);
    circleLayer_->setShadowColor(circleShadowColor);
    circleLayer_->setShadowOpacity(0.4);
    ui::Layer& label = titleLabel().layer();
    label.setShadowOffset({1, 1});
    label.setShadowRadius(2);
    label.setShadowColor(titleShadowColor);
    label.setShadowOpacity(0.4);
}

void FabItem::touchesBegan(const ui::TouchSet& touches, const ui::Event*) {
    if (isSingleTap(touches)) createTintLayer();
}

void FabItem::touchesMoved(const ui::TouchSet& touches, const ui::Event*) {
    if (isSingleTap(touches)) createTintLayer();
}

void FabItem::touchesEnded(const ui::TouchSet& touches, const ui::Event*) {
    tintLayer_->removeFromSuperlayer();
    if (!isSingleTap(touches)) return;
    // The item, its button and the handler are held for the call: the handler may
    // remove the item or tear its whole screen down.
    auto self = weak_from_this().lock();
    auto button = actionButton();
    if (button && button->autoCloseOnTap) button->close();
    if (auto call = handler) call(*this);
}

void FabItem::touchesCancelled(const ui::TouchSet&, const ui::Event*) { tintLayer_->removeFromSuperlayer(); }

}  // namespace vistrel
