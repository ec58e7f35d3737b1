#include "vistrel/platform/graphics/text_engine.hpp"

#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <map>
#include <string>

namespace platform::graphics {

namespace {

constexpr double kLargestTextSize = 10000;

struct Engine {
    PangoFontMap* fontMap = nullptr;
    PangoContext* context = nullptr;
    FcConfig* config = nullptr;  // none: fontconfig's current configuration
    int applicationFontCount = -1;
    // Descriptions (without size) of faces by file, read once from the file itself.
    std::map<std::string, PangoFontDescription*> byFile;
};

Engine& engine() {
    static Engine* shared = new Engine();  // never destroyed: layouts may outlive statics
    return *shared;
}

int applicationFontCount(FcConfig* config) {
    FcConfig* effective = config ? config : FcConfigGetCurrent();
    FcFontSet* fonts = effective ? FcConfigGetFonts(effective, FcSetApplication) : nullptr;
    return fonts ? fonts->nfont : 0;
}

void makeContext(Engine& e) {
    e.fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    if (e.config) pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(e.fontMap), e.config);
    e.context = pango_font_map_create_context(e.fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(e.context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(e.context, FALSE);
    // Sizes are absolute (in points); the resolution only matters for relative sizes.
    pango_cairo_context_set_resolution(e.context, 72);
}

PangoWeight weightFromStyleName(const std::string& style) {
    auto has = [&](const char* word) { return style.find(word) != std::string::npos; };
    if (has("Black") || has("Heavy")) return PANGO_WEIGHT_HEAVY;
    if (has("Semibold") || has("SemiBold") || has("Demi")) return PANGO_WEIGHT_SEMIBOLD;
    if (has("Bold")) return PANGO_WEIGHT_BOLD;
    if (has("Medium")) return PANGO_WEIGHT_MEDIUM;
    if (has("Light")) return PANGO_WEIGHT_LIGHT;
    if (has("Thin")) return PANGO_WEIGHT_THIN;
    return PANGO_WEIGHT_NORMAL;
}

}  // namespace

std::mutex& textLock() {
    static std::mutex* lock = new std::mutex();
    return *lock;
}

PangoContext* textContext() {
    Engine& e = engine();
    if (!e.context) makeContext(e);
    int count = applicationFontCount(e.config);
    if (count != e.applicationFontCount) {
        // New application fonts: drop what the font map cached about the old set.
        if (e.applicationFontCount >= 0) pango_fc_font_map_config_changed(PANGO_FC_FONT_MAP(e.fontMap));
        e.applicationFontCount = count;
    }
    return e.context;
}

void setTextFontConfig(FcConfig* config) {
    std::lock_guard lock(textLock());
    Engine& e = engine();
    e.config = config;
    if (e.fontMap) {
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(e.fontMap), config);
        pango_context_changed(e.context);
    }
    e.applicationFontCount = -1;
}

PangoFontDescription* fontDescription(const Font& font) {
    Engine& e = engine();
    PangoFontDescription* description = nullptr;
    if (font.face && font.face->sourcePath()) {
        std::string file = font.face->sourcePath()->string();
        auto found = e.byFile.find(file);
        if (found == e.byFile.end()) {
            // The description fontconfig itself derives from the file, so that matching
            // comes back to this very face.
            PangoFontDescription* fromFile = nullptr;
            int count = 0;
            if (FcPattern* pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), 0, nullptr, &count)) {
                fromFile = pango_fc_font_description_from_pattern(pattern, FALSE);
                FcPatternDestroy(pattern);
            }
            found = e.byFile.emplace(file, fromFile).first;
        }
        if (found->second) description = pango_font_description_copy(found->second);
    }
    if (!description) {
        description = pango_font_description_new();
        pango_font_description_set_family(description, font.familyName.c_str());
        pango_font_description_set_weight(description, weightFromStyleName(font.styleName));
        if (font.styleName.find("Italic") != std::string::npos)
            pango_font_description_set_style(description, PANGO_STYLE_ITALIC);
        else if (font.styleName.find("Oblique") != std::string::npos)
            pango_font_description_set_style(description, PANGO_STYLE_OBLIQUE);
    }
    // Pango keeps sizes as integers of 1/1024 point; sizes beyond any use are cut short
    // of overflowing them.
    double size = std::clamp(font.pointSize, 1.0 / PANGO_SCALE, kLargestTextSize);
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    return description;
}

}  // namespace platform::graphics
