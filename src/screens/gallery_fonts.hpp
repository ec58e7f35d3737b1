#pragma once
// The plain text font of the gallery's tab titles and empty-tab texts: the platform's
// default face at a size (none when it cannot be loaded).
#include <optional>

#include "platform/graphics/font.hpp"

namespace vistrel {

std::optional<platform::graphics::Font> galleryTextFont(double pointSize);

}  // namespace vistrel
