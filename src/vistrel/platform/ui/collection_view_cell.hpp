#pragma once
// An item of a collection: a reusable cell whose content view holds what it shows.
#include "vistrel/platform/ui/reusable_cell.hpp"

namespace platform::ui {

class CollectionViewCell : public ReusableCell {
public:
    using ReusableCell::ReusableCell;
};

}  // namespace platform::ui
