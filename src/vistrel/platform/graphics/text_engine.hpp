#pragma once
// Engine-level text layout state, for .cpp files of platform/graphics only (it pulls in
// Pango and fontconfig). Pango's font maps are not thread-safe: everything here and
// every layout made from the context runs under textLock().
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <mutex>

#include "vistrel/platform/graphics/font.hpp"

namespace platform::graphics {

std::mutex& textLock();

// The one layout context, with the font options that make layout independent of the
// drawing scale (no hinting, no rounding of glyph positions). Refreshes the font map
// when fontconfig gained application fonts since the last call. Lock held.
PangoContext* textContext();

// Makes text layout use `config` (owned by the caller, kept alive for the process).
void setTextFontConfig(FcConfig* config);

// A new description that selects the font's face at its size (sizes in points, which
// are the layout's units). The caller frees it. Lock held.
PangoFontDescription* fontDescription(const Font& font);

}  // namespace platform::graphics
