#pragma once
// Engine-level access to a FontFace, for .cpp files of platform/graphics only (it pulls
// in FreeType; public headers must not include it).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <functional>

#include "vistrel/platform/graphics/font_face.hpp"

namespace platform::graphics {

struct FreeTypeAccess {
    static void withFace(const FontFace& face, const std::function<void(FT_Face)>& use);
};

// Runs `use` with the face's FreeType face while holding the face's lock: a FreeType
// face serves one thread at a time. `use` must not keep the face beyond the call, nor
// call back into the same FontFace (the lock is not recursive).
inline void withFreeTypeFace(const FontFace& face, const std::function<void(FT_Face)>& use) {
    FreeTypeAccess::withFace(face, use);
}

}  // namespace platform::graphics
