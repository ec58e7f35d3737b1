#include "vistrel/core/fonts.hpp"

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

namespace vistrel {

namespace {
void fail(const char* reason) {
    platform::log(std::string("UIFont+:  Failed to register font - ") + reason);
}
}  // namespace

void registerFontsWithFilenames(const std::vector<std::string>& fileNames) {
    auto bundle = vistrelBundle();
    if (!bundle) {
        fail("bundle identifier invalid.");
        return;
    }
    auto& registry = platform::graphics::FontRegistry::shared();
    for (const std::string& name : fileNames) {
        auto path = bundle->pathForResource(name);
        if (!path) {
            fail("path for resource not found.");
            return;
        }
        auto bytes = platform::readFile(*path, platform::graphics::FontRegistry::maxFontFileBytes);
        if (!bytes) {
            fail("font data could not be loaded.");
            return;
        }
        auto result = registry.registerFont(std::vector<unsigned char>(bytes->begin(), bytes->end()), *path);
        if (result.ok()) continue;
        if (result.error() == platform::graphics::FontRegistrationError::notAFont) {
            // A file that holds no font is as unusable as one that cannot be read.
            fail("font could not be created from the data.");
            return;
        }
        fail("register graphics font failed - this font may have already been registered in the main bundle.");
    }
}

void printFontNames() {
    for (const auto& family : platform::graphics::FontRegistry::shared().families()) {
        platform::log("------------------------------");
        platform::log("Font Family Name = [" + family.familyName + "]");
        std::string names = "[";
        for (std::size_t i = 0; i < family.fontNames.size(); ++i) {
            if (i > 0) names += ", ";
            names += "\"" + family.fontNames[i] + "\"";
        }
        names += "]";
        platform::log("Font Names = [" + names + "]");
    }
}

}  // namespace vistrel
