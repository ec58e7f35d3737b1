#include "vistrel/platform/graphics/font_configuration.hpp"

#include <fontconfig/fontconfig.h>

#include <mutex>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/graphics/text_engine.hpp"

namespace platform::graphics {

namespace {

// Every family the configuration does not have falls back to DejaVu Sans.
constexpr const char* kFallbackRules =
    "<?xml version=\"1.0\"?><fontconfig>"
    "<match target=\"pattern\"><edit name=\"family\" mode=\"append_last\">"
    "<string>DejaVu Sans</string></edit></match>"
    "</fontconfig>";

FcConfig* makeIsolatedConfiguration() {
    FcConfig* config = FcConfigCreate();
    if (!config) return nullptr;
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kFallbackRules), FcTrue) ||
        !FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(FontRegistry::defaultFontPath))) {
        FcConfigDestroy(config);
        return nullptr;
    }
    // Fonts the registry already handed to the current configuration come along.
    if (FcConfig* current = FcConfigGetCurrent()) {
        if (FcFontSet* fonts = FcConfigGetFonts(current, FcSetApplication)) {
            for (int i = 0; i < fonts->nfont; ++i) {
                FcChar8* file = nullptr;
                if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
                    FcConfigAppFontAddFile(config, file);
            }
        }
    }
    return config;
}

}  // namespace

void useIsolatedFontConfiguration() {
    static std::once_flag once;
    std::call_once(once, [] {
        FcConfig* config = makeIsolatedConfiguration();
        // The current configuration is where the registry adds the fonts it accepts.
        if (!config || !FcConfigSetCurrent(config)) {
            log("Fonts :: cannot make the isolated font configuration");
            return;
        }
        setTextFontConfig(config);
    });
}

}  // namespace platform::graphics
