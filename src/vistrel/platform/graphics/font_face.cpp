#include "vistrel/platform/graphics/font_face.hpp"

#include <algorithm>
#include <mutex>
#include <utility>

#include "vistrel/platform/graphics/font_face_freetype.hpp"
#include FT_TRUETYPE_TABLES_H

namespace platform::graphics {

namespace {

// One engine for the process. Opening and closing faces touch the library's shared
// state, so both go through this lock. Never released: faces may be closed by
// static destructors at exit.
struct Engine {
    FT_Library library = nullptr;
    std::mutex mutex;
};

Engine* engine() {
    static Engine* shared = [] {
        auto* e = new Engine;
        if (FT_Init_FreeType(&e->library) != 0) e->library = nullptr;
        return e;
    }();
    return shared->library ? shared : nullptr;
}

std::string stringOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

struct FontFace::Impl {
    std::vector<unsigned char> bytes;
    std::optional<std::filesystem::path> sourcePath;
    FT_Face face = nullptr;
    mutable std::mutex faceMutex;
    std::string postScriptName;
    std::string familyName;
    std::string styleName;
    double ascender = 0;
    double descender = 0;
    double lineHeight = 0;
    int weightClass = 400;
    bool italic = false;

    ~Impl() {
        if (!face) return;
        if (Engine* e = engine()) {
            std::lock_guard lock(e->mutex);
            FT_Done_Face(face);
        }
    }
};

std::shared_ptr<const FontFace> FontFace::open(std::vector<unsigned char> bytes,
                                               std::optional<std::filesystem::path> sourcePath) {
    Engine* e = engine();
    if (!e || bytes.empty()) return nullptr;

    // The engine reads the bytes in place: they move into the face's own storage first
    // and stay there, untouched, for the face's life.
    auto impl = std::make_unique<Impl>();
    impl->bytes = std::move(bytes);
    impl->sourcePath = std::move(sourcePath);
    {
        std::lock_guard lock(e->mutex);
        if (FT_New_Memory_Face(e->library, impl->bytes.data(),
                               static_cast<FT_Long>(impl->bytes.size()), 0, &impl->face) != 0) {
            impl->face = nullptr;
            return nullptr;
        }
    }

    FT_Face face = impl->face;
    impl->postScriptName = stringOrEmpty(FT_Get_Postscript_Name(face));
    // Metrics come from the outlines' design units; a face without them cannot be
    // set at an arbitrary size.
    if (impl->postScriptName.empty() || !FT_IS_SCALABLE(face) || face->units_per_EM == 0)
        return nullptr;

    impl->familyName = stringOrEmpty(face->family_name);
    if (impl->familyName.empty()) impl->familyName = impl->postScriptName;
    impl->styleName = stringOrEmpty(face->style_name);
    // Weight classes are hundreds from 100 to 900; anything else says nothing.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWeightClass >= 100 && os2->usWeightClass <= 900) impl->weightClass = os2->usWeightClass;
    impl->italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;

    const double em = face->units_per_EM;
    impl->ascender = face->ascender / em;
    impl->descender = face->descender / em;
    // A face may declare a negative line gap; a line never gets shorter than its glyphs.
    impl->lineHeight = std::max(face->height / em, impl->ascender - impl->descender);

    return std::shared_ptr<const FontFace>(new FontFace(std::move(impl)));
}

FontFace::FontFace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
FontFace::~FontFace() = default;

const std::string& FontFace::postScriptName() const { return impl_->postScriptName; }
const std::string& FontFace::familyName() const { return impl_->familyName; }
const std::string& FontFace::styleName() const { return impl_->styleName; }
const std::vector<unsigned char>& FontFace::bytes() const { return impl_->bytes; }
const std::optional<std::filesystem::path>& FontFace::sourcePath() const { return impl_->sourcePath; }
double FontFace::ascenderPerEm() const { return impl_->ascender; }
double FontFace::descenderPerEm() const { return impl_->descender; }
double FontFace::lineHeightPerEm() const { return impl_->lineHeight; }
int FontFace::weightClass() const { return impl_->weightClass; }
bool FontFace::isItalic() const { return impl_->italic; }

bool FontFace::hasGlyph(char32_t codePoint) const {
    if (codePoint > 0x10FFFF) return false;
    std::lock_guard lock(impl_->faceMutex);
    // The engine picks a Unicode map on opening when the face has one; without one
    // no code point can be answered.
    if (!impl_->face->charmap || impl_->face->charmap->encoding != FT_ENCODING_UNICODE) return false;
    return FT_Get_Char_Index(impl_->face, codePoint) != 0;
}

void FreeTypeAccess::withFace(const FontFace& face, const std::function<void(FT_Face)>& use) {
    std::lock_guard lock(face.impl_->faceMutex);
    use(face.impl_->face);
}

}  // namespace platform::graphics
