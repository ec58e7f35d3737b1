#include "platform/graphics/font_configuration.hpp"

namespace platform::graphics {

void useIsolatedFontConfiguration() {}

}  // namespace platform::graphics
