#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/core/fonts.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

using platform::graphics::FontRegistry;

namespace {

const char* kLiberation = "/usr/share/fonts/truetype/liberation2/";

// A bundle with the kit's identifier holding the named Liberation font files. Each test
// uses fonts of its own: the registry lives as long as the process.
struct FontBundle {
    testsupport::TempDir dir;
    explicit FontBundle(std::initializer_list<const char*> files) {
        dir.write("Vistrel.bundle/Info.plist",
                  "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                  "<string>io.vistrel.sdk</string></dict></plist>");
        dir.write("Vistrel.bundle/garbage.ttf", "these bytes are not a font");
        for (const char* file : files)
            std::filesystem::copy_file(std::string(kLiberation) + file, dir / "Vistrel.bundle" / file);
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{dir / "Vistrel.bundle"});
    }
    ~FontBundle() { vistrel::overrideBundleLocations(std::nullopt); }
};

bool registered(const char* name) { return FontRegistry::shared().font(name, 12).has_value(); }

}  // namespace

TEST(RegisterFontsTest, AMissingFileEndsTheRun) {
    FontBundle bundle({"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf"});
    platform::LogCapture capture;
    vistrel::registerFontsWithFilenames(
        {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "absent.ttf", "LiberationMono-Italic.ttf"});
    EXPECT_EQ((std::vector<bool>{registered("LiberationMono"), registered("LiberationMono-Bold"),
                                 registered("LiberationMono-Italic")}),
              (std::vector<bool>{true, true, false}));
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"UIFont+:  Failed to register font - path for resource not found."});
}

TEST(RegisterFontsTest, EmptyNamesAndNonFontsFailCleanly) {
    FontBundle bundle({"LiberationSerif-Italic.ttf", "LiberationMono-BoldItalic.ttf"});
    platform::LogCapture capture;
    // An empty name (a setting the property list lacks) finds nothing, never the folder.
    vistrel::registerFontsWithFilenames({"", "LiberationSerif-Italic.ttf"});
    EXPECT_EQ(std::tuple(capture.count("path for resource not found."), registered("LiberationSerif-Italic")),
              std::tuple(std::size_t{1}, false));
    capture.clear();
    vistrel::registerFontsWithFilenames({"garbage.ttf", "LiberationMono-BoldItalic.ttf"});
    EXPECT_EQ(std::tuple(capture.lines().size(), registered("LiberationMono-BoldItalic")), std::tuple(std::size_t{1}, false));
}
