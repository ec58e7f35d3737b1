#pragma once
// Drawing a view tree (a window is a view) into a bitmap.
#include <optional>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace platform::ui {

class View;

// Runs the update pass (and lays out and displays the view itself when it is in no shown
// window), then draws the view and everything in it into a
// new bitmap of its bounds' size, at the main screen's scale (or `scale`): backgrounds,
// rounded corners, borders, shadows, shape layers, images and text, walking the layer
// tree once. The view is drawn in its own bounds space (its own position and transform
// are left out); as on screen, a hidden view (a window not yet shown) leaves the bitmap
// transparent. None for empty bounds or a bitmap too large to make.
std::optional<graphics::Bitmap> render(View& view);
std::optional<graphics::Bitmap> render(View& view, double scale);

}  // namespace platform::ui
