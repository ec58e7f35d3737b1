#include <signal.h>
#include <sys/wait.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "support/kit_processes.hpp"
#include "support/step_count.hpp"
#include "support/temp_dir.hpp"
#include "vistrel/core/kit_defaults.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/entry/vistrel.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/foundation/user_defaults.hpp"

using platform::UserDefaults;
using vistrel::VistrelPref;

// The child of the tests of kit processes (KitProcesses).
TEST(ApiKeyTurnsTest, DISABLED_SetAsAKitProcess) { testsupport::setKeysAsAKitProcess(); }

// A host sets the API key at start while another process of it is stopped dead in its turn
// at writing the kit's preferences: setApiKey, three sets on a first run, holds the host's
// main thread for one wait at most, and what it set is kept (read back at once). Once the
// stopped process is gone, the next set writes it all.
TEST(ApiKeyTurnsTest, SettingTheKeyBehindAStoppedWriterWaitsOnceAndIsWrittenByTheNextSet) {
    testsupport::TempDir dir;
    testsupport::KitProcesses processes(dir, "ApiKeyTurnsTest.DISABLED_SetAsAKitProcess");
    processes.startStoppedHolder("holder");
    testsupport::ScopedEnv home("VISTREL_HOME", processes.data.c_str());
    vistrel::overrideBundleLocations(std::vector<std::filesystem::path>{VISTREL_BUILD_BUNDLE});
    vistrel::reopenKitDefaults();
    vistrel::kitDefaults();  // opened as a host's first use opens it

    platform::LogCapture log;
    int waits = 0;
    {
        const testsupport::StepCount told("lock: waiting for another holder");
        vistrel::Vistrel::setApiKey("the key");
        waits = told.count();
    }
    EXPECT_LE(waits, 1);
    EXPECT_EQ(log.count("its turn at writing was not had"), 3u);
    const std::optional<std::string> instance = VistrelPref::getApplicationInstanceId();
    EXPECT_EQ(std::tuple(VistrelPref::getApiKey(), VistrelPref::useBlackAndWhite(), instance.has_value(),
                         UserDefaults(processes.kitFile()).string("apiKey")),
              std::tuple("the key", true, true, std::nullopt));

    const int status = processes.stop("holder");
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    VistrelPref::setHasBeenMigrated(true);
    const UserDefaults written(processes.kitFile());
    EXPECT_EQ(std::tuple(written.string("apiKey"), written.boolValue("useBlackAndWhite"),
                         written.string("applicationInstanceId"), written.boolValue("hasBeenMigrated"),
                         written.string("holder")),
              std::tuple("the key", true, instance, true, "set by holder"));
    vistrel::reopenKitDefaults();
    vistrel::overrideBundleLocations(std::nullopt);
}
