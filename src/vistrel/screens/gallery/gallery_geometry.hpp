#pragma once
// The measures of the gallery: the card size of a tab page and the tab a paged scroll
// offset shows.
#include <optional>

#include "vistrel/platform/ui/types.hpp"
#include "vistrel/screens/gallery/library_option.hpp"

namespace vistrel {

inline constexpr double galleryCardHeight = 250;
inline constexpr double galleryCardsPerRow = 2;
inline constexpr double galleryCardMargin = 10;

// Two cards a row between 10-point margins, 250 high; never a negative width, whatever
// the page's width.
platform::ui::Size galleryCardSize(double pageWidth);

// The tab whose page the offset shows: the offset divided by the page width, truncated.
// None for a width that is not a number above zero, or a page outside the three tabs.
std::optional<LibraryOption> galleryTabAtOffset(double offsetX, double pageWidth);

}  // namespace vistrel
