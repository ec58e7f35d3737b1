#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/temp_dir.hpp"
#include "vistrel/core/fonts.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"

using platform::graphics::FontRegistry;

namespace {

const char* kLiberation = "/usr/share/fonts/truetype/liberation2/";

// Every "Liberation" of the bytes (the font's names, in single-byte and UTF-16 form)
// replaced by `tag`, a word of the same length.
std::string renamed(std::string bytes, const std::string& tag) {
    std::string wide, wideTag;
    for (char c : std::string("Liberation")) wide += {'\0', c};
    for (char c : tag) wideTag += {'\0', c};
    for (const auto& [from, to] : {std::pair(std::string("Liberation"), tag), std::pair(wide, wideTag)})
        for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size()))
            bytes.replace(at, from.size(), to);
    return bytes;
}

// A bundle with the kit's identifier holding the named Liberation font files. The
// registry lives as long as the process, so each bundle's fonts get names never
// registered before ("Liberation" becomes "Fresh" and a number): a test finds the
// registry as it left it on its first run however often it is repeated.
struct FontBundle {
    testsupport::TempDir dir;
    std::string tag;
    explicit FontBundle(std::initializer_list<const char*> files) {
        static int bundles = 0;
        tag = "Fresh" + std::to_string(100000 + ++bundles % 100000).substr(1);  // as long as "Liberation"
        dir.write("Vistrel.bundle/Info.plist",
                  "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                  "<string>io.vistrel.sdk</string></dict></plist>");
        dir.write("Vistrel.bundle/garbage.ttf", "these bytes are not a font");
        for (const char* file : files)
            dir.write(std::string("Vistrel.bundle/") + file,
                      renamed(*platform::readFile(std::string(kLiberation) + file, 64u << 20), tag));
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{dir / "Vistrel.bundle"});
    }
    ~FontBundle() { vistrel::overrideBundleLocations(std::nullopt); }

    // Whether the font of that Liberation name, as this bundle renamed it, is registered.
    bool registered(const std::string& name) const {
        return FontRegistry::shared().font(renamed(name, tag), 12).has_value();
    }
};

}  // namespace

TEST(RegisterFontsTest, AMissingFileEndsTheRun) {
    FontBundle bundle({"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf"});
    platform::LogCapture capture;
    vistrel::registerFontsWithFilenames(
        {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "absent.ttf", "LiberationMono-Italic.ttf"});
    EXPECT_EQ((std::vector<bool>{bundle.registered("LiberationMono"), bundle.registered("LiberationMono-Bold"),
                                 bundle.registered("LiberationMono-Italic")}),
              (std::vector<bool>{true, true, false}));
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"UIFont+:  Failed to register font - path for resource not found."});
}

TEST(RegisterFontsTest, EmptyNamesAndNonFontsFailCleanly) {
    FontBundle bundle({"LiberationSerif-Italic.ttf", "LiberationMono-BoldItalic.ttf"});
    platform::LogCapture capture;
    // An empty name (a setting the property list lacks) finds nothing, never the folder.
    vistrel::registerFontsWithFilenames({"", "LiberationSerif-Italic.ttf"});
    EXPECT_EQ(std::tuple(capture.count("path for resource not found."), bundle.registered("LiberationSerif-Italic")),
              std::tuple(std::size_t{1}, false));
    capture.clear();
    vistrel::registerFontsWithFilenames({"garbage.ttf", "LiberationMono-BoldItalic.ttf"});
    EXPECT_EQ(std::tuple(capture.lines().size(), bundle.registered("LiberationMono-BoldItalic")), std::tuple(std::size_t{1}, false));
}
