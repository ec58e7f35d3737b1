#include "vistrel/screens/gallery/gallery_geometry.hpp"

#include <cmath>

namespace vistrel {

platform::ui::Size galleryCardSize(double pageWidth) {
    const double margins = galleryCardMargin * (galleryCardsPerRow + 1);
    const double width = (pageWidth - margins) / galleryCardsPerRow;
    return {std::isfinite(width) && width > 0 ? width : 0, galleryCardHeight};
}

std::optional<LibraryOption> galleryTabAtOffset(double offsetX, double pageWidth) {
    if (!std::isfinite(offsetX) || !std::isfinite(pageWidth) || pageWidth <= 0) return std::nullopt;
    const double index = std::trunc(offsetX / pageWidth);
    if (index < 0 || index > 2) return std::nullopt;
    return libraryOptionFromRawValue(static_cast<long long>(index));
}

}  // namespace vistrel
