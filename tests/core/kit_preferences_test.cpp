#include <gtest/gtest.h>

#include "core/vistrel_pref.hpp"
#include "platform/foundation/directories.hpp"
#include "platform/foundation/user_defaults.hpp"
#include "support/temp_dir.hpp"

using platform::UserDefaults;
using platform::Value;
using vistrel::VistrelPref;

// A host that chose its own data folder keeps it, and its preferences: the kit writes
// its own in its own folder, and neither sees the other's keys.
TEST(KitPreferencesTest, AHostsOwnFolderAndPreferencesStayApartFromTheKits) {
    testsupport::TempDir host;
    testsupport::TempDir kit;
    testsupport::ScopedEnv home("VISTREL_HOME", kit.path().c_str());
    platform::setApplicationDataDirectory(host.path());
    UserDefaults::resetStandard();
    UserDefaults::standard()->set("apiKey", Value("the host's own"));

    VistrelPref::setApiKey("kit-key");
    VistrelPref::setHasBeenMigrated(true);

    EXPECT_EQ(platform::applicationDataDirectory(), host.path());
    EXPECT_EQ(UserDefaults::standard()->object("hasBeenMigrated"), std::nullopt);
    EXPECT_EQ(std::tuple(UserDefaults::standard()->string("apiKey"), VistrelPref::getApiKey(),
                         UserDefaults(host / "preferences.plist").string("apiKey"),
                         UserDefaults(kit / "preferences.plist").string("apiKey")),
              std::tuple("the host's own", "kit-key", "the host's own", "kit-key"));

    platform::setApplicationDataDirectory(std::nullopt);
    UserDefaults::resetStandard();
}
