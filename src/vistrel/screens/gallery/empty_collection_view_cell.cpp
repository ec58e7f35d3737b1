#include "vistrel/screens/gallery/empty_collection_view_cell.hpp"

#include <algorithm>

#include "vistrel/core/icon_type.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/palette.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

namespace vistrel {

void EmptyCollectionViewCell::configureWithText(const std::string& text) {
    if (auto icon = iconLabel.lock()) setIconType(*icon, VistrelIconType::Mountain, iconSize, vistrelPrimary());
    if (auto label = textLabel.lock()) {
        label->setFont(
            platform::graphics::FontRegistry::shared().systemFont(textSize, platform::graphics::FontWeight::medium));
        label->setTextColor(vistrelPrimary());
        label->setText(text);
    }
    setNeedsLayout();
}

// The glyph just above the middle, the text (up to three lines) just below it.
void EmptyCollectionViewCell::layoutSubviews() {
    platform::ui::CollectionViewCell::layoutSubviews();
    const auto bounds = contentView().bounds();
    const double width = std::max(0.0, bounds.width() - 40);
    if (auto icon = iconLabel.lock()) icon->setFrame({20, bounds.midY() - 56, width, 48});
    if (auto label = textLabel.lock()) label->setFrame({20, bounds.midY(), width, 72});
}

std::shared_ptr<EmptyCollectionViewCell> makeEmptyCollectionViewCell() {
    auto cell = std::make_shared<EmptyCollectionViewCell>();
    cell->setReuseIdentifier(std::string(EmptyCollectionViewCell::reuseIdentifier));
    auto icon = std::make_shared<platform::ui::Label>();
    auto text = std::make_shared<platform::ui::Label>();
    text->setNumberOfLines(3);
    text->setTextAlignment(platform::graphics::TextAlignment::center);
    cell->contentView().addSubview(icon);
    cell->contentView().addSubview(text);
    cell->iconLabel = icon;
    cell->textLabel = text;
    return cell;
}

}  // namespace vistrel
