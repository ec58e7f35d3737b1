#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/directories.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/log.hpp"
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

// The app's own folder under the kit's shared one, made, unless VISTREL_HOME names one.
TEST(DataDirectoryTest, WithoutItsOwnVariableIsTheAppsFolderUnderTheKitsByTheDesktopRules) {
    testsupport::TempDir dir;
    const std::string program(platform::programName());
    testsupport::ScopedEnv home("VISTREL_HOME", nullptr);
    {
        testsupport::ScopedEnv xdg("XDG_DATA_HOME", (dir / "xdg").c_str());
        EXPECT_EQ(vistrel::dataDirectory(), dir / "xdg/vistrel/apps" / program);
    }
    testsupport::ScopedEnv xdg("XDG_DATA_HOME", "relative/ignored");
    testsupport::ScopedEnv user("HOME", (dir / "home").c_str());
    EXPECT_EQ(vistrel::dataDirectory(), dir / "home/.local/share/vistrel/apps" / program);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "home/.local/share/vistrel/apps" / program));
    testsupport::ScopedEnv own("VISTREL_HOME", (dir / "own").c_str());
    EXPECT_EQ(vistrel::dataDirectory(), dir / "own");
}

// A copy of the kit's bundle whose Info.plist or strings table is a FIFO that no writer
// opens: the kit starts and its texts show their keys, with a log line, instead of
// waiting for ever. Should the read block, the wait gives up after a minute (only a
// hang is caught) and opens the FIFO for writing so that it returns.
TEST(VistrelBundleTest, AFifoInTheBundleReadsAsMissingWithoutBlocking) {
    for (const char* refused : {"en.lproj/Localizable.strings", "Info.plist"}) {
        SCOPED_TRACE(refused);
        testsupport::TempDir dir;
        const auto copy = dir / "Vistrel.bundle";
        std::filesystem::copy(VISTREL_BUILD_BUNDLE, copy, std::filesystem::copy_options::recursive);
        const auto fifo = copy / refused;
        std::filesystem::remove(fifo);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        platform::setPreferredLanguages(std::vector<std::string>{"en"});
        overrideBundleLocations(std::vector<std::filesystem::path>{copy});

        platform::LogCapture log;
        auto text = std::async(std::launch::async, [] { return tr("general.cancel"); });
        if (text.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
            ADD_FAILURE() << "the bundle's text is blocked";
            int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0) ::close(writer);
        }
        EXPECT_EQ(text.get(), "general.cancel");
        EXPECT_TRUE(log.contains(fifo.string() + " is not a regular file, read as missing"));
        overrideBundleLocations(std::nullopt);
        platform::setPreferredLanguages(std::nullopt);
    }
}
