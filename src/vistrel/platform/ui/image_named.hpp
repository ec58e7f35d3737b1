#pragma once
// An image resource of a bundle by its name, without extension: "<name>@2x.png" (drawn
// at scale 2) or else "<name>.png". None when the bundle is absent, holds neither file,
// or the file is no image.
#include <optional>
#include <string_view>

#include "vistrel/platform/graphics/image.hpp"

namespace platform {
class Bundle;
}

namespace platform::ui {

std::optional<graphics::Image> imageNamed(std::string_view name, const Bundle* bundle);

}  // namespace platform::ui
