#pragma once
// One font file opened with the font engine: its names, its bytes (which the engine
// reads in place, so they live as long as the face), where it came from, and its
// vertical metrics as fractions of the em. Shared, immutable and safe from any thread.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::graphics {

class FontFace {
public:
    // Opens the first face in `bytes`. Gives null when the engine cannot open them, the
    // face has no PostScript name, or it cannot be scaled (a bitmap-only face).
    static std::shared_ptr<const FontFace> open(
        std::vector<unsigned char> bytes,
        std::optional<std::filesystem::path> sourcePath = std::nullopt);

    ~FontFace();
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const std::string& postScriptName() const;
    // The family as the face names it; the PostScript name when the face names none.
    const std::string& familyName() const;
    const std::string& styleName() const;
    const std::vector<unsigned char>& bytes() const;
    const std::optional<std::filesystem::path>& sourcePath() const;

    // Per em: ascender above the baseline (positive), descender below it (negative),
    // and the distance from one baseline to the next.
    double ascenderPerEm() const;
    double descenderPerEm() const;
    double lineHeightPerEm() const;

    // The weight class the face declares (100 thin ... 400 regular, 500 medium, 700 bold
    // ... 900 black); 400 when it declares none.
    int weightClass() const;
    // Whether the face is slanted (italic or oblique).
    bool isItalic() const;

    // Whether the face's Unicode character map gives a glyph for the code point.
    bool hasGlyph(char32_t codePoint) const;

private:
    struct Impl;
    // Engine-level access for graphics code that draws (font_face_freetype.hpp).
    friend struct FreeTypeAccess;

    explicit FontFace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::graphics
