#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/strings_table.hpp"

using vistrel::overrideBundleLocations;
using vistrel::tr;

namespace {
struct LocalisationTest : ::testing::Test {
    void SetUp() override { overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE}); }
    void TearDown() override {
        overrideBundleLocations(std::nullopt);
        platform::setPreferredLanguages(std::nullopt);
    }
};
}  // namespace

TEST_F(LocalisationTest, TextsFollowThePreferredLanguage) {
    // Japanese has no table: the development language stands in.
    const std::pair<const char*, const char*> cases[] = {{"fr-FR", "Annuler"}, {"en-GB", "Cancel"}, {"ja", "Cancel"}};
    for (auto [language, text] : cases) {
        platform::setPreferredLanguages(std::vector<std::string>{language});
        EXPECT_EQ(tr("general.cancel"), text) << language;
    }
    EXPECT_EQ(tr("no.such.key"), "no.such.key");
}

TEST(LocalisationTablesTest, EveryLanguageHasATextForEveryKey) {
    auto table = [](const char* language) {
        auto path = std::filesystem::path(VISTREL_SOURCE_DIR) / "resources/Vistrel.bundle" / language /
                    "Localizable.strings";
        auto keys = platform::parseStringsTable(platform::readFile(path, 64u << 20).value_or(""));
        std::vector<std::string> names;
        for (const auto& entry : keys.value_or(platform::StringsTable{})) names.push_back(entry.first);
        return names;
    };
    auto english = table("en.lproj");
    EXPECT_GT(english.size(), 20u);
    EXPECT_EQ(table("fr.lproj"), english);
}

// Found by its identifier only, the environment's path first; absent, texts are their keys.
TEST(VistrelBundleTest, FoundByIdentifierWithTheEnvironmentFirst) {
    testsupport::TempDir dir;
    for (auto [name, id] : {std::tuple("Other.bundle", "not.vistrel"), std::tuple("My.bundle", "io.vistrel.sdk")})
        dir.write(std::string(name) + "/Info.plist",
                  std::string("<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>").append(id).append(
                      "</string></dict></plist>"));
    overrideBundleLocations(std::vector<std::filesystem::path>{dir / "Other.bundle", dir / "missing"});
    EXPECT_FALSE(vistrel::vistrelBundle());
    EXPECT_EQ(tr("general.ok"), "general.ok");
    overrideBundleLocations(std::nullopt);
    testsupport::ScopedEnv env("VISTREL_BUNDLE_PATH", (dir / "My.bundle").c_str());
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundlePath(), std::filesystem::canonical(dir / "My.bundle"));
}

TEST(DataDirectoryTest, WithoutItsOwnVariableFollowsTheDesktopRules) {
    testsupport::ScopedEnv home("VISTREL_HOME", nullptr);
    {
        testsupport::ScopedEnv xdg("XDG_DATA_HOME", "/tmp/xdg");
        EXPECT_EQ(vistrel::dataDirectory(), "/tmp/xdg/vistrel");
    }
    testsupport::ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    testsupport::ScopedEnv user("HOME", "/home/someone");
    EXPECT_EQ(vistrel::dataDirectory(), "/home/someone/.local/share/vistrel");
}
