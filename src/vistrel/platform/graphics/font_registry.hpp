#pragma once
// The process's fonts, by PostScript name. A font file registered here can be asked
// for at any size, and (when its path is known) text layout finds it by family and
// style. Safe from any thread.
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "vistrel/platform/graphics/font.hpp"
#include "vistrel/platform/graphics/font_face.hpp"

namespace platform::graphics {

enum class FontRegistrationError {
    notAFont,           // the engine cannot open the bytes, or the face has no PostScript name
    alreadyRegistered,  // a font of the same PostScript name is registered; the first stays
};

// Either the registered font's PostScript name or why it was refused.
class FontRegistrationResult {
public:
    FontRegistrationResult(std::string postScriptName) : value_(std::move(postScriptName)) {}
    FontRegistrationResult(FontRegistrationError error) : value_(error) {}

    bool ok() const { return std::holds_alternative<std::string>(value_); }
    explicit operator bool() const { return ok(); }
    std::optional<std::string> postScriptName() const {
        if (auto* name = std::get_if<std::string>(&value_)) return *name;
        return std::nullopt;
    }
    std::optional<FontRegistrationError> error() const {
        if (auto* error = std::get_if<FontRegistrationError>(&value_)) return *error;
        return std::nullopt;
    }

private:
    std::variant<std::string, FontRegistrationError> value_;
};

struct FontFamily {
    std::string familyName;
    std::vector<std::string> fontNames;  // PostScript names, in registration order
};

class FontRegistry {
public:
    // The most bytes of a font file read: font files weigh kilobytes to a few megabytes.
    static constexpr std::size_t maxFontFileBytes = 32u << 20;

    static constexpr const char* defaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

    // The process's registry; never destroyed.
    static FontRegistry& shared();

    // A registry of its own (tests); its default font comes from `defaultFontFile`.
    explicit FontRegistry(std::filesystem::path defaultFontFile = defaultFontPath);
    FontRegistry(const FontRegistry&) = delete;
    FontRegistry& operator=(const FontRegistry&) = delete;

    // Registers the font in `bytes` under its PostScript name. With a source path, an
    // accepted font's file is also handed to the text layout's font lookup.
    FontRegistrationResult registerFont(std::vector<unsigned char> bytes,
                                        std::optional<std::filesystem::path> sourcePath = std::nullopt);

    // A registered font at `pointSize`; none for an unknown name or a size that is not
    // a finite number above zero.
    std::optional<Font> font(std::string_view postScriptName, double pointSize) const;

    // Whether the registered font maps the code point to a glyph (false when unknown).
    bool hasGlyph(std::string_view postScriptName, char32_t codePoint) const;

    // Families in order of first registration, each with its fonts in registration order.
    std::vector<FontFamily> families() const;

    // The font used when none is given, loaded on first use. It is not registered, so it
    // never stands in the way of a registration. None when its file cannot be loaded.
    std::optional<Font> defaultFont(double pointSize) const;

    // The system font at a weight: the default font for regular; for another weight the
    // first registered upright face of that weight class (an application registers the
    // faces its system font comes in), else the default font. None for a size that is
    // not a finite number above zero.
    std::optional<Font> systemFont(double pointSize, FontWeight weight = FontWeight::regular) const;

private:
    std::shared_ptr<const FontFace> face(std::string_view postScriptName) const;

    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const FontFace>, std::less<>> faces_;
    std::vector<std::shared_ptr<const FontFace>> order_;

    std::filesystem::path defaultFontFile_;
    mutable std::once_flag defaultLoaded_;
    mutable std::shared_ptr<const FontFace> defaultFace_;
};

}  // namespace platform::graphics
