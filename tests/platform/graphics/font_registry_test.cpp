#include "vistrel/platform/graphics/font_registry.hpp"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "font_test_files.hpp"
#include "support/temp_dir.hpp"

using platform::graphics::FontFamily;
using platform::graphics::FontRegistrationError;
using platform::graphics::FontRegistry;
using namespace fonttest;

// Most tests use a registry of their own: the shared one lives for the whole process
// and would make them depend on each other's order.

namespace {

platform::graphics::FontRegistrationResult registerFile(FontRegistry& registry,
                                                       const std::filesystem::path& path) {
    return registry.registerFont(readBytes(path), path);
}

// A copy of a font file in a fresh folder, so fontconfig sees a path no other test uses.
std::filesystem::path copyInto(const testsupport::TempDir& dir, const std::filesystem::path& file,
                               std::string name = {}) {
    auto to = dir / (name.empty() ? file.filename().string() : name);
    std::filesystem::copy_file(file, to);
    return to;
}

// The files fontconfig's current configuration lists for a family and style.
std::vector<std::string> fontconfigFiles(const char* family, const char* style) {
    FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, family, FC_STYLE, FcTypeString,
                                        style, static_cast<char*>(nullptr));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, static_cast<char*>(nullptr));
    FcFontSet* set = FcFontList(FcConfigGetCurrent(), pattern, objects);
    std::vector<std::string> files;
    for (int i = 0; set && i < set->nfont; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
            files.emplace_back(reinterpret_cast<const char*>(file));
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return files;
}

bool contains(const std::vector<std::string>& list, const std::filesystem::path& item) {
    return std::find(list.begin(), list.end(), item.string()) != list.end();
}

}  // namespace

TEST(FontRegistry, RefusesASecondFontOfTheSameNameAndKeepsTheFirst) {
    FontRegistry registry;
    testsupport::TempDir scratch;
    auto original = liberation / "LiberationSans-Bold.ttf";
    ASSERT_TRUE(registerFile(registry, original).ok());

    // The same file, a copy elsewhere, and the bytes alone.
    for (auto again : {registerFile(registry, original), registerFile(registry, copyInto(scratch, original)),
                       registry.registerFont(readBytes(original))}) {
        EXPECT_FALSE(again.ok());
        EXPECT_EQ(again.error(), FontRegistrationError::alreadyRegistered);
        EXPECT_FALSE(again.postScriptName());
    }

    EXPECT_EQ(registry.font("LiberationSans-Bold", 12)->face->sourcePath(), original);
    ASSERT_EQ(registry.families().size(), 1u);
    EXPECT_EQ(registry.families()[0].fontNames, std::vector<std::string>{"LiberationSans-Bold"});
}

TEST(FontRegistry, NonFontsFailCleanlyAndLeaveNothingBehind) {
    FontRegistry registry;
    testsupport::TempDir scratch;
    std::vector<unsigned char> noise(1000);
    std::mt19937 random(11);
    for (auto& b : noise) b = static_cast<unsigned char>(random());
    const std::vector<unsigned char> cases[] = {{}, noise, {'<', 'h', 't', 'm', 'l', '>'}};
    std::vector<std::filesystem::path> paths;
    for (const auto& bytes : cases) {
        // The path names a real font: only the bytes decide, and nothing is handed on.
        paths.push_back(copyInto(scratch, dejavu / "DejaVuSans.ttf", "case" + std::to_string(paths.size()) + ".ttf"));
        auto result = registry.registerFont(bytes, paths.back());
        EXPECT_EQ(result.error(), FontRegistrationError::notAFont);
        EXPECT_FALSE(result.postScriptName());
    }
    EXPECT_TRUE(registry.families().empty());
    auto listed = fontconfigFiles("DejaVu Sans", "Book");
    for (const auto& path : paths) EXPECT_FALSE(contains(listed, path)) << path;
    // A refused attempt takes no name: the real font still registers.
    EXPECT_TRUE(registerFile(registry, dejavu / "DejaVuSans.ttf").ok());
}

TEST(FontRegistry, LookupNeedsAKnownNameAndAUsableSize) {
    FontRegistry registry;
    ASSERT_TRUE(registerFile(registry, dejavu / "DejaVuSerif.ttf").ok());
    for (const char* name : {"", "dejavuserif", "DejaVu Serif", "DejaVuSerif-Bold", "DejaVuSerif "}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(registry.font(name, 12));
        EXPECT_FALSE(registry.hasGlyph(name, 'A'));
    }
    for (double size : {0.0, -3.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(registry.font("DejaVuSerif", size));
        EXPECT_FALSE(registry.defaultFont(size));
    }
    auto font = registry.font("DejaVuSerif", 9.5);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->familyName + " " + font->styleName, "DejaVu Serif Book");
}

TEST(FontRegistry, TheDefaultFontTakesNoNameAndNeedsAUsableFile) {
    FontRegistry registry;
    ASSERT_TRUE(registry.defaultFont(14));
    EXPECT_FALSE(registry.font("DejaVuSans", 14));
    EXPECT_TRUE(registry.families().empty());
    EXPECT_TRUE(registerFile(registry, dejavu / "DejaVuSans.ttf").ok());

    testsupport::TempDir scratch;
    FontRegistry missing(std::filesystem::temp_directory_path() / "no-such-folder" / "none.ttf");
    EXPECT_FALSE(missing.defaultFont(12));
    FontRegistry notAFont(copyInto(scratch, VISTREL_BUILD_BUNDLE "/LICENSE-text-fonts.txt"));
    EXPECT_FALSE(notAFont.defaultFont(12));
}

// The system font is the default face at the regular weight; at medium it is the first
// upright medium face registered, the default face until there is one.
TEST(FontRegistry, TheSystemFontAtMediumIsTheFirstUprightMediumFaceRegistered) {
    using platform::graphics::FontWeight;
    FontRegistry registry;
    auto system = [&](FontWeight weight) {
        auto font = registry.systemFont(14, weight);
        return font ? font->postScriptName + " " + std::to_string(font->pointSize) : "none";
    };
    EXPECT_EQ(system(FontWeight::medium), "DejaVuSans 14.000000");
    for (const char* file : {"SFProText-MediumItalic.ttf", "SFProText-Regular.ttf", "SFProText-Heavy.ttf"})
        ASSERT_TRUE(registry.registerFont(readBytes(bundle / file)).ok());
    EXPECT_EQ(system(FontWeight::medium), "DejaVuSans 14.000000");
    ASSERT_TRUE(registry.registerFont(readBytes(bundle / "SFProText-Medium.ttf")).ok());
    EXPECT_EQ(std::pair(system(FontWeight::medium), system(FontWeight::regular)),
              std::pair(std::string("SFProText-Medium 14.000000"), std::string("DejaVuSans 14.000000")));
    EXPECT_FALSE(registry.systemFont(0, FontWeight::medium));
}

TEST(FontRegistry, FontsOutliveTheirRegistry) {
    std::optional<platform::graphics::Font> font;
    {
        FontRegistry registry;
        registry.registerFont(readBytes(bundle / "icomoon.ttf"));
        font = registry.font("icomoon", 30);
    }
    ASSERT_TRUE(font);
    EXPECT_TRUE(font->hasGlyph(0xE900));
}

TEST(FontRegistry, AcceptedFilesReachTextLayoutByFamilyAndStyle) {
    FontRegistry registry;
    testsupport::TempDir scratch;
    auto accepted = copyInto(scratch, bundle / "SFProText-HeavyItalic.ttf");
    ASSERT_TRUE(registerFile(registry, accepted).ok());
    EXPECT_TRUE(contains(fontconfigFiles("SF Pro Text", "Heavy Italic"), accepted));

    // A refused file (another copy of the same font) is not handed on.
    testsupport::TempDir other;
    auto refused = copyInto(other, bundle / "SFProText-HeavyItalic.ttf");
    EXPECT_FALSE(registerFile(registry, refused).ok());
    EXPECT_FALSE(contains(fontconfigFiles("SF Pro Text", "Heavy Italic"), refused));
}

TEST(FontRegistry, ConcurrentRegistrationAcceptsEachNameOnce) {
    FontRegistry registry;
    const std::vector<std::filesystem::path> files = {
        dejavu / "DejaVuSansMono.ttf", dejavu / "DejaVuSansMono-Bold.ttf", liberation / "LiberationMono-Regular.ttf",
        liberation / "LiberationSerif-Italic.ttf", bundle / "SFProText-Medium.ttf", bundle / "icomoon.ttf"};
    std::vector<std::vector<unsigned char>> contents;
    for (const auto& file : files) contents.push_back(readBytes(file));

    constexpr int threads = 8;
    std::atomic<int> accepted = 0, refused = 0, other = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (std::size_t i = 0; i < files.size(); ++i) {
                std::size_t k = (i + t) % files.size();  // each thread in a different order
                auto result = registry.registerFont(contents[k]);
                if (result.ok()) ++accepted;
                else if (result.error() == FontRegistrationError::alreadyRegistered) ++refused;
                else ++other;
                registry.font("icomoon", 10 + t);
                registry.hasGlyph("icomoon", 0xE900);
                registry.families();
                registry.defaultFont(12);
            }
        });
    }
    for (auto& worker : workers) worker.join();

    const int count = static_cast<int>(files.size());
    EXPECT_EQ((std::vector<int>{accepted, refused, other}), (std::vector<int>{count, count * (threads - 1), 0}));
    std::size_t names = 0;
    for (const auto& family : registry.families()) names += family.fontNames.size();
    EXPECT_EQ(names, files.size());
    EXPECT_TRUE(registry.hasGlyph("icomoon", 0xE923));
}
