#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/bundle.hpp"
#include "vistrel/platform/foundation/locale.hpp"

namespace {

const char* kInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>test.example</string>
<key>CFBundleDevelopmentRegion</key><string>en</string>
<key>Number</key><integer>3</integer>
</dict></plist>)";

struct BundleFixture : ::testing::Test {
    testsupport::TempDir dir;
    std::filesystem::path root = dir / "Test.bundle";
    void SetUp() override {
        dir.write("Test.bundle/Info.plist", kInfo);
        dir.write("Test.bundle/font.ttf", "not really a font");
        dir.write("Test.bundle/en.lproj/Localizable.strings",
                  "\"greeting\" = \"Hello\";\n\"only.en\" = \"English only\";");
        dir.write("Test.bundle/fr.lproj/Localizable.strings", "\"greeting\" = \"Bonjour\";");
        dir.write("Test.bundle/fr.lproj/local.txt", "fr");
        dir.write("Test.bundle/Base.lproj/base.txt", "base");
        dir.write("outside.txt", "outside");
    }
    void TearDown() override { platform::setPreferredLanguages(std::nullopt); }
};

}  // namespace

TEST_F(BundleFixture, InfoDictionaryAndIdentifier) {
    auto bundle = platform::Bundle::atPath(root);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->identifier(), "test.example");
    EXPECT_EQ(bundle->infoDictionary().find("Number")->number()->intValue(), 3);
    EXPECT_FALSE(platform::Bundle::atPath(dir / "missing"));
    EXPECT_FALSE(platform::Bundle::withIdentifier("test.example", {dir / "missing"}));
    EXPECT_EQ(platform::Bundle::withIdentifier("test.example", {dir.path(), root}), bundle);
    EXPECT_FALSE(platform::Bundle::withIdentifier("other.id", {root}));
}

TEST_F(BundleFixture, ResourcesAreFoundByPlainNameOnly) {
    platform::setPreferredLanguages(std::vector<std::string>{"fr-FR"});
    auto bundle = platform::Bundle::atPath(root);
    EXPECT_EQ(bundle->pathForResource("font.ttf"), root / "font.ttf");
    EXPECT_EQ(bundle->pathForResource("local.txt"), root / "fr.lproj/local.txt");
    EXPECT_EQ(bundle->pathForResource("base.txt"), root / "Base.lproj/base.txt");
    for (const char* bad : {"", "/", ".", "..", "../outside.txt", "fr.lproj/local.txt", "missing.ttf"})
        EXPECT_FALSE(bundle->pathForResource(bad)) << bad;
}

TEST_F(BundleFixture, LocalisedTextsFollowPreferredLanguagesThenDevelopmentThenKey) {
    auto bundle = platform::Bundle::atPath(root);
    platform::setPreferredLanguages(std::vector<std::string>{"fr-CA", "en"});
    EXPECT_EQ(bundle->currentLocalization(), "fr");
    EXPECT_EQ(bundle->localizedString("greeting"), "Bonjour");
    EXPECT_EQ(bundle->localizedString("only.en"), "English only");
    EXPECT_EQ(bundle->localizedString("missing.key"), "missing.key");

    platform::setPreferredLanguages(std::vector<std::string>{"de"});
    EXPECT_EQ(bundle->currentLocalization(), "en");
    EXPECT_EQ(bundle->localizedString("greeting"), "Hello");
}

TEST_F(BundleFixture, ChangedInfoPlistIsReloaded) {
    auto first = platform::Bundle::atPath(root);
    dir.write("Test.bundle/Info.plist",
              R"(<plist version="1.0"><dict><key>CFBundleIdentifier</key><string>changed.id.longer</string></dict></plist>)");
    auto second = platform::Bundle::atPath(root);
    EXPECT_EQ(second->identifier(), "changed.id.longer");
}

TEST(LocaleTest, LanguagesFromEnvironmentAndMatching) {
    EXPECT_EQ(platform::languageTagFromLocaleName("fr_FR.UTF-8@euro"), "fr-FR");
    EXPECT_EQ(platform::languageTagFromLocaleName("C.UTF-8"), "");
    EXPECT_EQ(platform::languageTagFromLocaleName("POSIX"), "");

    testsupport::ScopedEnv language("LANGUAGE", "fr_CA:en");
    testsupport::ScopedEnv all("LC_ALL", nullptr);
    testsupport::ScopedEnv messages("LC_MESSAGES", nullptr);
    testsupport::ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(platform::preferredLanguages(), (std::vector<std::string>{"fr-CA", "en", "de-DE"}));
    {
        testsupport::ScopedEnv noList("LANGUAGE", nullptr);
        testsupport::ScopedEnv bare("LANG", "C.UTF-8");
        EXPECT_EQ(platform::preferredLanguages(), (std::vector<std::string>{"en"}));
    }

    std::vector<std::string> available{"Base", "en", "fr"};
    EXPECT_EQ(platform::bestLocalization(available, {"fr-CA"}), "fr");
    EXPECT_EQ(platform::bestLocalization(available, {"it", "EN"}), "en");
    EXPECT_EQ(platform::bestLocalization(available, {"it"}), std::nullopt);
}
