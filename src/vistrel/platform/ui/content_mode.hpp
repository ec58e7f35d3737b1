#pragma once
// How a view lays its content (an image) into its bounds.
#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

enum class ContentMode {
    scaleToFill,
    scaleAspectFit,
    scaleAspectFill,
    redraw,
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
};

// Where content of `contentSize` goes inside `bounds` under `mode`.
Rect contentRect(ContentMode mode, Size contentSize, const Rect& bounds);

}  // namespace platform::ui
