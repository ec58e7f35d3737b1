#include "vistrel/platform/ui/navigation_bar.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/enum_table.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace platform::ui {

namespace {

constexpr double kItemFontSize = 17;
constexpr double kMargin = 8;
constexpr double kSpacing = 8;
constexpr double kHairline = 0.5;

using S = BarButtonSystemItem;
constexpr EnumTable<BarButtonSystemItem, const char*, 23> kSystemItemTitles{{
    {S::done, "Done"},         {S::cancel, "Cancel"},     {S::edit, "Edit"},
    {S::save, "Save"},         {S::add, "+"},             {S::flexibleSpace, ""},
    {S::fixedSpace, ""},       {S::compose, "Compose"},   {S::reply, "Reply"},
    {S::action, "Share"},      {S::organize, "Organize"}, {S::bookmarks, "Bookmarks"},
    {S::search, "Search"},     {S::refresh, "Refresh"},   {S::stop, "Stop"},
    {S::camera, "Camera"},     {S::trash, "Trash"},       {S::play, "Play"},
    {S::pause, "Pause"},       {S::rewind, "Rewind"},     {S::fastForward, "Forward"},
    {S::undo, "Undo"},         {S::redo, "Redo"},
}};

const char* systemItemTitle(BarButtonSystemItem item) {
    const char* title = rawValueIn(kSystemItemTitles, item);
    return title ? title : "";
}

std::shared_ptr<Button> makeBarButton(std::string title) {
    auto button = std::make_shared<Button>(ButtonType::system);
    button->titleLabel()->setFont(graphics::FontRegistry::shared().defaultFont(kItemFontSize));
    button->setTitle(std::move(title));
    return button;
}

}  // namespace

NavigationBar::NavigationBar()
    : View(Rect{0, 0, Screen::main().bounds().width(), defaultHeight}),
      backdrop_(std::make_shared<View>()),
      backgroundImageView_(std::make_shared<ImageView>()),
      shadowView_(std::make_shared<ImageView>()),
      titleLabel_(std::make_shared<Label>()) {
    backdrop_->setUserInteractionEnabled(false);
    backgroundImageView_->setUserInteractionEnabled(false);
    shadowView_->setUserInteractionEnabled(false);
    titleLabel_->setTextAlignment(TextAlignment::center);
    titleLabel_->setLineBreakMode(graphics::LineBreakMode::truncateTail);
    titleLabel_->setNumberOfLines(1);
    addSubview(backdrop_);
    addSubview(backgroundImageView_);
    addSubview(shadowView_);
    addSubview(titleLabel_);
    updateBackground();
}

// ---- Items ----

void NavigationBar::adopt(const std::shared_ptr<NavigationItem>& item) {
    if (auto self = weak_from_this().lock()) item->bar_ = std::static_pointer_cast<NavigationBar>(self);
}

void NavigationBar::release(const std::shared_ptr<NavigationItem>& item) {
    if (item->bar_.lock().get() == this) item->bar_.reset();
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items) {
    std::erase(items, nullptr);
    for (auto& item : items_) release(item);
    items_ = std::move(items);
    for (auto& item : items_) adopt(item);
    setNeedsLayout();
}

void NavigationBar::pushItem(std::shared_ptr<NavigationItem> item) {
    if (!item) return;
    adopt(item);
    items_.push_back(std::move(item));
    setNeedsLayout();
}

std::shared_ptr<NavigationItem> NavigationBar::popItem() {
    if (items_.size() <= 1) return nullptr;
    auto item = items_.back();
    items_.pop_back();
    release(item);
    setNeedsLayout();
    return item;
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const { return items_.empty() ? nullptr : items_.back(); }

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
    return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

// ---- Look ----

void NavigationBar::setBarTintColor(std::optional<Color> color) {
    barTintColor_ = color;
    updateBackground();
}

void NavigationBar::setTitleTextAttributes(graphics::TextAttributes attributes) {
    titleAttributes_ = std::move(attributes);
    setNeedsLayout();
}

std::optional<BarImage> NavigationBar::backgroundImage(BarMetrics metrics) const {
    if (auto it = backgroundImages_.find(metrics); it != backgroundImages_.end()) return it->second;
    return std::nullopt;
}

void NavigationBar::setBackgroundImage(std::optional<BarImage> image, BarMetrics metrics) {
    if (image) backgroundImages_.insert_or_assign(metrics, std::move(*image));
    else backgroundImages_.erase(metrics);
    updateBackground();
}

void NavigationBar::setShadowImage(std::optional<BarImage> image) {
    shadowImage_ = std::move(image);
    updateBackground();
}

void NavigationBar::setTranslucent(bool translucent) {
    translucent_ = translucent;
    // Whether content runs under the bar is the container's layout.
    if (auto container = superview()) container->setNeedsLayout();
    updateBackground();
}

void NavigationBar::updateBackground() {
    // A picture replaces the tinted background; a bar that is not translucent still
    // backs it (and an empty image) with its tint, else white.
    auto image = backgroundImage(BarMetrics::defaultMetrics);
    if (!image) backdrop_->setBackgroundColor(barTintColor_.value_or(defaultBarColor()));
    else if (translucent_) backdrop_->setBackgroundColor(std::nullopt);
    else backdrop_->setBackgroundColor(barTintColor_.value_or(Color::white()));
    backgroundImageView_->setImage(image ? image->picture : std::nullopt);
    backgroundImageView_->setHidden(!image || image->isEmpty());

    if (!shadowImage_) {
        shadowView_->setImage(std::nullopt);
        shadowView_->setBackgroundColor(Color::black().withAlpha(0.3));
        shadowView_->setHidden(false);
    } else {
        shadowView_->setBackgroundColor(std::nullopt);
        shadowView_->setImage(shadowImage_->picture);
        shadowView_->setHidden(shadowImage_->isEmpty());
    }
    setNeedsLayout();
    setNeedsDisplay();
}

// ---- What it shows ----

std::shared_ptr<View> NavigationBar::viewForItem(const std::shared_ptr<BarButtonItem>& item) {
    if (item->customView()) return item->customView();
    if (auto system = item->systemItem();
        system == BarButtonSystemItem::flexibleSpace || system == BarButtonSystemItem::fixedSpace)
        return std::make_shared<View>(Rect{0, 0, item->width(), defaultHeight});

    std::string title;
    if (item->systemItem()) title = systemItemTitle(*item->systemItem());
    else if (item->title()) title = *item->title();
    auto button = makeBarButton(title);
    if (!item->systemItem() && !item->title()) button->setTitle(std::nullopt);
    if (item->image()) button->setImage(item->image());
    // The title takes its colour when set, before the button is in the bar: give it the
    // tint it will have there.
    button->setTintColor(item->tintColor().value_or(tintColor()));
    button->setTitleColor(button->tintColor());
    button->setEnabled(item->isEnabled());
    buttonItems_[button.get()] = item;
    if (auto self = weak_from_this().lock())
        button->addTarget(std::static_pointer_cast<NavigationBar>(self), &NavigationBar::itemButtonTapped,
                          ControlEvents::touchUpInside);
    return button;
}

void NavigationBar::itemButtonTapped(Button& button) {
    auto it = buttonItems_.find(&button);
    if (it == buttonItems_.end()) return;
    if (auto item = it->second.lock()) item->sendAction();
}

void NavigationBar::backButtonTapped() {
    if (auto delegate = delegate_.lock()) delegate->navigationBarDidTapBack(*this);
    else popItem();
}

void NavigationBar::layoutSubviews() {
    View::layoutSubviews();
    const Rect b = bounds();
    const Rect behind{0, -statusBarHeight, b.width(), b.height() + statusBarHeight};
    backdrop_->setFrame(behind);
    backgroundImageView_->setFrame(behind);
    double shadowHeight = kHairline;
    if (shadowImage_ && shadowImage_->picture) shadowHeight = shadowImage_->picture->size().height;
    shadowView_->setFrame({0, b.height(), b.width(), shadowHeight});

    for (auto& view : leftViews_) view->removeFromSuperview();
    for (auto& view : rightViews_) view->removeFromSuperview();
    if (backButton_) backButton_->removeFromSuperview();
    if (shownTitleView_ && shownTitleView_->superview().get() == this) shownTitleView_->removeFromSuperview();
    leftViews_.clear();
    rightViews_.clear();
    backButton_.reset();
    buttonItems_.clear();

    auto top = topItem();
    auto back = backItem();
    double left = kMargin;
    double right = b.width() - kMargin;
    auto place = [&](const std::shared_ptr<View>& view, bool onLeft) {
        Size size = view->frame().size;
        if (auto button = std::dynamic_pointer_cast<Button>(view)) size = button->sizeThatFits({});
        size.height = std::min(size.height, b.height());
        const double x = onLeft ? left : right - size.width;
        view->setFrame({x, (b.height() - size.height) / 2, size.width, size.height});
        addSubview(view);
        if (onLeft) left = x + size.width + kSpacing;
        else right = x - kSpacing;
    };

    if (top && back && !top->hidesBackButton() && top->leftBarButtonItems().empty()) {
        std::string title = "Back";
        if (back->backBarButtonItem()) title = back->backBarButtonItem()->title().value_or("");
        else if (back->title()) title = *back->title();
        backButton_ = makeBarButton(title.empty() ? "\u2039" : "\u2039 " + title);
        backButton_->setTitleColor(tintColor());
        if (auto self = weak_from_this().lock())
            backButton_->addTarget(std::static_pointer_cast<NavigationBar>(self), &NavigationBar::backButtonTapped,
                                   ControlEvents::touchUpInside);
        place(backButton_, true);
    }
    if (top) {
        for (auto& item : top->leftBarButtonItems()) {
            leftViews_.push_back(viewForItem(item));
            place(leftViews_.back(), true);
        }
        for (auto& item : top->rightBarButtonItems()) {
            rightViews_.push_back(viewForItem(item));
            place(rightViews_.back(), false);
        }
    }

    // The title (or title view) centred on the bar, kept between the items.
    std::shared_ptr<View> titleView = top ? top->titleView() : nullptr;
    titleLabel_->setHidden(titleView != nullptr);
    titleLabel_->setText(top ? top->title() : std::nullopt);
    titleLabel_->setFont(titleAttributes_.font ? titleAttributes_.font
                                               : graphics::FontRegistry::shared().defaultFont(kItemFontSize));
    titleLabel_->setTextColor(titleAttributes_.foregroundColor.value_or(Color::black()));
    std::shared_ptr<View> centred = titleView ? titleView : std::static_pointer_cast<View>(titleLabel_);
    Size size = titleView ? titleView->frame().size : titleLabel_->sizeThatFits({});
    const double room = std::max(0.0, right - left);
    size.width = std::min(size.width, room);
    size.height = std::min(size.height, b.height());
    double x = (b.width() - size.width) / 2;
    x = std::clamp(x, left, std::max(left, right - size.width));
    centred->setFrame({x, (b.height() - size.height) / 2, size.width, size.height});
    if (titleView) addSubview(titleView);
    shownTitleView_ = titleView;
}

}  // namespace platform::ui
