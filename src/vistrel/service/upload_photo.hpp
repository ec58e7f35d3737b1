#pragma once
// The photo as it is uploaded: fitted into the configured square and, when the
// black-and-white preference is on, turned grey.
#include <optional>

#include "vistrel/platform/graphics/image.hpp"

namespace vistrel::VistrelTools {

// The photo scaled so that its longer side is the configured side; grey when the
// preference asks for it. None when the side or the photo gives no picture to send.
std::optional<platform::graphics::Image> resizeImage(const platform::graphics::Image& image);

// The same with the side and the preference given: the longer side becomes `side`
// points (at one pixel each); none for a side that is not a finite number above 0, or
// a result that no bitmap can hold.
std::optional<platform::graphics::Image> resizeImage(const platform::graphics::Image& image, double side,
                                                     bool blackAndWhite);

// The picture redrawn as 8-bit grey without alpha; none for an empty picture.
std::optional<platform::graphics::Image> imageToGrayScale(const platform::graphics::Image& image);

}  // namespace vistrel::VistrelTools
