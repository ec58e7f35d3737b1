#pragma once
// What a JPEG's markers say of its scans, read up to the first scan without decoding
// (internal to platform/graphics). A JPEG whose first scan holds every colour component
// of a sequential frame is decoded a band of rows at a time, at any scale; any other (a
// progressive file, or one whose components come in scans of their own) makes the
// decoder keep the coefficients of the whole picture until its last scan, however small
// it decodes: two bytes for every sample of every component.
#include <optional>
#include <string_view>

namespace platform::graphics {

// True when the decoder must hold the whole picture's coefficients; none when the
// markers cannot be followed from the start of the image to the first scan.
std::optional<bool> jpegScansWholePicture(std::string_view bytes);

}  // namespace platform::graphics
