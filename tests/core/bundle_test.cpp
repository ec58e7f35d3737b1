#include <gtest/gtest.h>

#include "core/data_directory.hpp"
#include "core/vistrel_bundle.hpp"
#include "platform/foundation/locale.hpp"
#include "support/temp_dir.hpp"

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

TEST_F(LocalisationTest, EveryKeyTheKitUsesHasATextInEveryLanguage) {
    const char* keys[] = {
        "actions.error.cant_read_event", "actions.error.cant_read_phone_number",
        "actions.error.cant_read_sms_number", "actions.error.cant_read_url",
        "actions.error.cant_read_vcard", "actions.list.error.not_enriched_image", "camera.menu.about",
        "camera.menu.tutorial", "camera.network.no_internet", "camera.no_authorization.message",
        "camera.no_authorization.title", "gallery.delete_photo", "gallery.favorites",
        "gallery.favorites.empty_list", "gallery.image.unrecognized", "gallery.not_send",
        "gallery.not_send.empty_list", "gallery.recents", "gallery.recents.empty_list", "general.cancel",
        "general.done", "general.edit", "general.error", "general.no", "general.ok", "general.share",
        "general.warning", "general.yes", "informations.confidentiality", "informations.url",
        "migration.text", "tutorial.step1.text", "tutorial.step1.title", "tutorial.step2.text",
        "tutorial.step2.title", "tutorial.step3.text", "tutorial.step3.title", "tutorial.step4.text",
        "tutorial.step4.title", "webview.open_safari", "zbar.qrcode_detected"};
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    for (const char* language : {"en", "fr"}) {
        platform::setPreferredLanguages(std::vector<std::string>{language});
        // Ask the table alone: a missing entry would come back as the key.
        for (const char* key : keys)
            EXPECT_NE(bundle->localizedString(key, "<missing>"), "<missing>") << language << " " << key;
    }
}

TEST(VistrelBundleTest, FoundByIdentifierOnlyAndAbsentGivesKeys) {
    testsupport::TempDir dir;
    dir.write("Other.bundle/Info.plist",
              "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>not.vistrel</string></dict></plist>");
    overrideBundleLocations(std::vector<std::filesystem::path>{dir / "Other.bundle", dir / "missing"});
    EXPECT_FALSE(vistrel::vistrelBundle());
    EXPECT_EQ(tr("general.ok"), "general.ok");
    overrideBundleLocations(std::vector<std::filesystem::path>{});
    EXPECT_FALSE(vistrel::vistrelBundle());
    overrideBundleLocations(std::nullopt);
}

TEST(VistrelBundleTest, EnvironmentVariableComesFirst) {
    testsupport::TempDir dir;
    dir.write("My.bundle/Info.plist",
              "<plist version=\"1.0\"><dict><key>CFBundleIdentifier</key><string>io.vistrel.sdk</string>"
              "<key>Marker</key><string>env</string></dict></plist>");
    testsupport::ScopedEnv env("VISTREL_BUNDLE_PATH", (dir / "My.bundle").c_str());
    auto bundle = vistrel::vistrelBundle();
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundlePath(), std::filesystem::canonical(dir / "My.bundle"));
}

TEST(DataDirectoryTest, ChosenFromTheEnvironment) {
    {
        testsupport::ScopedEnv home("VISTREL_HOME", "/tmp/vistrel-home");
        EXPECT_EQ(vistrel::dataDirectory(), "/tmp/vistrel-home");
    }
    testsupport::ScopedEnv home("VISTREL_HOME", nullptr);
    {
        testsupport::ScopedEnv xdg("XDG_DATA_HOME", "/tmp/xdg");
        EXPECT_EQ(vistrel::dataDirectory(), "/tmp/xdg/vistrel");
    }
    testsupport::ScopedEnv xdg("XDG_DATA_HOME", nullptr);
    testsupport::ScopedEnv user("HOME", "/home/someone");
    EXPECT_EQ(vistrel::dataDirectory(), "/home/someone/.local/share/vistrel");
}
