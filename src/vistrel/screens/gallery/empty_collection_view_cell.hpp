#pragma once
// The placeholder that fills a gallery tab without records: a mountain glyph above the
// tab's empty-list text, both in the primary colour.
#include <memory>
#include <string>
#include <string_view>

#include "vistrel/platform/ui/collection_view_cell.hpp"
#include "vistrel/platform/ui/label.hpp"

namespace vistrel {

class EmptyCollectionViewCell : public platform::ui::CollectionViewCell {
public:
    static constexpr std::string_view reuseIdentifier = "EmptyCollectionViewCell";
    static constexpr double iconSize = 40;
    static constexpr double textSize = 16;

    using platform::ui::CollectionViewCell::CollectionViewCell;

    // Outlets, held by the cell's content view.
    std::weak_ptr<platform::ui::Label> iconLabel;
    std::weak_ptr<platform::ui::Label> textLabel;

    void configureWithText(const std::string& text);
    void layoutSubviews() override;
};

// The prototype of the storyboard: the cell with its two labels.
std::shared_ptr<EmptyCollectionViewCell> makeEmptyCollectionViewCell();

}  // namespace vistrel
