#include "vistrel/platform/graphics/font_registry.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <utility>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::graphics {

namespace {

std::optional<std::vector<unsigned char>> readFontFile(const std::filesystem::path& path) {
    auto bytes = readFile(path, FontRegistry::maxFontFileBytes);
    if (!bytes) return std::nullopt;
    return std::vector<unsigned char>(bytes->begin(), bytes->end());
}

// Text layout finds faces through fontconfig; an accepted file joins the current
// configuration's application fonts so that layout can ask for it by family and style.
void addToTextLayoutFonts(const std::filesystem::path& path) {
    static std::mutex fontconfigMutex;
    std::lock_guard lock(fontconfigMutex);
    FcConfig* config = FcConfigGetCurrent();
    if (!config || !FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(path.c_str())))
        log(concatenate("FontRegistry :: text layout cannot use ", escapeControlCharacters(path.string())));
}

}  // namespace

FontRegistry& FontRegistry::shared() {
    static FontRegistry* registry = new FontRegistry();
    return *registry;
}

FontRegistry::FontRegistry(std::filesystem::path defaultFontFile)
    : defaultFontFile_(std::move(defaultFontFile)) {}

FontRegistrationResult FontRegistry::registerFont(std::vector<unsigned char> bytes,
                                                  std::optional<std::filesystem::path> sourcePath) {
    // Opening parses the file; done outside the lock so lookups do not wait on it.
    auto face = FontFace::open(std::move(bytes), sourcePath);
    if (!face) return FontRegistrationError::notAFont;
    std::string name = face->postScriptName();
    {
        std::lock_guard lock(mutex_);
        if (faces_.contains(name)) return FontRegistrationError::alreadyRegistered;
        faces_.emplace(name, face);
        order_.push_back(face);
    }
    if (sourcePath) addToTextLayoutFonts(*sourcePath);
    return name;
}

std::shared_ptr<const FontFace> FontRegistry::face(std::string_view postScriptName) const {
    std::lock_guard lock(mutex_);
    auto it = faces_.find(postScriptName);
    return it == faces_.end() ? nullptr : it->second;
}

std::optional<Font> FontRegistry::font(std::string_view postScriptName, double pointSize) const {
    return Font::make(face(postScriptName), pointSize);
}

bool FontRegistry::hasGlyph(std::string_view postScriptName, char32_t codePoint) const {
    auto found = face(postScriptName);
    return found && found->hasGlyph(codePoint);
}

std::vector<FontFamily> FontRegistry::families() const {
    std::lock_guard lock(mutex_);
    std::vector<FontFamily> result;
    for (const auto& face : order_) {
        auto family = std::find_if(result.begin(), result.end(),
                                   [&](const FontFamily& f) { return f.familyName == face->familyName(); });
        if (family == result.end())
            family = result.insert(result.end(), FontFamily{face->familyName(), {}});
        family->fontNames.push_back(face->postScriptName());
    }
    return result;
}

std::optional<Font> FontRegistry::defaultFont(double pointSize) const {
    std::call_once(defaultLoaded_, [this] {
        if (auto bytes = readFontFile(defaultFontFile_)) defaultFace_ = FontFace::open(std::move(*bytes), defaultFontFile_);
    });
    return Font::make(defaultFace_, pointSize);
}

std::optional<Font> FontRegistry::systemFont(double pointSize, FontWeight weight) const {
    if (weight != FontWeight::regular) {
        std::shared_ptr<const FontFace> weighted;
        {
            std::lock_guard lock(mutex_);
            auto found = std::find_if(order_.begin(), order_.end(), [weight](const auto& face) {
                return face->weightClass() == static_cast<int>(weight) && !face->isItalic();
            });
            if (found != order_.end()) weighted = *found;
        }
        if (weighted) return Font::make(std::move(weighted), pointSize);
    }
    return defaultFont(pointSize);
}

}  // namespace platform::graphics
