#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/set_aside_copies.hpp"
#include "support/temp_dir.hpp"
#include "support/uuid_form.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"

using vistrel::Vistrel;
using vistrel::VistrelPref;

namespace {

struct PreferencesTest : ::testing::Test {
    testsupport::TempDir dir;
    testsupport::ScopedEnv home{"VISTREL_HOME", dir.path().c_str()};
    void SetUp() override {
        vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    }
    void TearDown() override { vistrel::overrideBundleLocations(std::nullopt); }
    // Reopens the defaults from their file, as a new launch would.
    void relaunch() { vistrel::reopenKitDefaults(); }
};

bool isUuid(const std::string& text) { return testsupport::isUpperCaseUuidV4(text); }

}  // namespace

TEST_F(PreferencesTest, ValuesPersistAcrossLaunchesWithTheirKinds) {
    VistrelPref::setHasBeenMigrated(true);
    VistrelPref::setApiKey("");
    relaunch();
    EXPECT_EQ(std::tuple(VistrelPref::hasBeenMigrated(), VistrelPref::getApiKey()), std::tuple(true, ""));
    // A number stored under "apiKey" by other code is no key, not its decimal text; a text
    // under a Boolean key is no Boolean.
    vistrel::kitDefaults()->set("apiKey", platform::Value(platform::Number::fromInt(42)));
    vistrel::kitDefaults()->set("useBlackAndWhite", platform::Value("true"));
    EXPECT_FALSE(VistrelPref::getApiKey() || VistrelPref::useBlackAndWhite());
}

TEST_F(PreferencesTest, FirstRunThenLaterRuns) {
    platform::LogCapture capture;
    Vistrel::setApiKey("key-one");
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::useBlackAndWhite()), std::tuple("key-one", true));
    auto id = VistrelPref::getApplicationInstanceId();
    EXPECT_TRUE(isUuid(id.value_or(""))) << id.value_or("none");
    EXPECT_EQ(vistrel::kitDefaults()->object("hasBeenMigrated"), std::nullopt);
    // Every font is found and usable; the only possible complaint is that an earlier test
    // in this process registered it already.
    EXPECT_EQ(capture.count("register graphics font failed"), capture.lines().size());

    // A later launch with another key changes the key only; the fonts are already
    // registered in this process, so each of the seven is reported once.
    VistrelPref::setUseBlackAndWhite(false);
    relaunch();
    capture.clear();
    Vistrel::setApiKey("key-two");
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId(), VistrelPref::useBlackAndWhite()),
              std::tuple("key-two", id, false));
    EXPECT_EQ(std::tuple(capture.count("UIFont+:  Failed to register font - register graphics font failed"),
                        capture.lines().size()), std::tuple(std::size_t{7}, std::size_t{7}));
}

// A damaged preferences file (a text holding a NUL, which the property-list library
// would stop the process on), or one far past what the kit writes, is a first launch: the
// file is moved aside with its bytes, logged for what it is, and the kit starts with
// empty preferences, then writes a sound file. The copy of each launch stays beside
// those of earlier ones.
TEST_F(PreferencesTest, ADamagedOrOversizedFileIsMovedAsideAndTheKitStartsAfresh) {
    using namespace std::string_literals;
    const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>apiKey</key>";
    std::string keys;
    for (int i = 0; i < 1000; ++i) keys.append("<key>k").append(std::to_string(i)).append("</key><string>v</string>");
    const std::vector<std::pair<std::string, const char*>> rows = {
        {head + "<string>k\0ey</string></dict></plist>"s, "unreadable"},
        {head + "<string>key</string></dict></plist>" + std::string(1u << 20, ' '), "too large"},
        {head + "<string>key</string>" + keys + "</dict></plist>", "too large"},  // 1,001 keys
    };
    std::vector<std::string> setAside;
    for (const auto& [bytes, kind] : rows) {
        SCOPED_TRACE(kind);
        const auto file = dir.write("io.vistrel.sdk.plist", bytes);
        relaunch();
        platform::LogCapture capture;
        Vistrel::setApiKey("key-one");
        EXPECT_TRUE(capture.contains(std::string(kind) + " defaults file " + file.string() + ", moved aside to " +
                                     file.string() + ".damaged-"));
        relaunch();
        setAside.push_back(bytes);
        std::sort(setAside.begin(), setAside.end());
        EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::getApplicationInstanceId().has_value(),
                             testsupport::setAsideCopies(dir.path(), "io.vistrel.sdk.plist")),
                  std::tuple("key-one", true, setAside));
    }
}
