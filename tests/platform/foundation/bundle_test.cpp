#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>

#include <gtest/gtest.h>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/bundle.hpp"
#include "vistrel/platform/foundation/locale.hpp"
#include "vistrel/platform/foundation/log.hpp"

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

namespace {

void makeFifo(const std::filesystem::path& file) {
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
}

// A file that reports `size` bytes and takes no disk.
void makeSparse(const std::filesystem::path& file, off_t size) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

}  // namespace

// An Info.plist or a strings table that is not a regular file, or is far larger than a
// bundle file, reads as missing with a log line: a text shows its key. A FIFO that no
// writer opens must not block the load; should it, the wait gives up after a minute
// (only a hang is caught) and opens the FIFO for writing so that the load returns.
TEST(BundleRefusalTest, RefusedFilesReadAsMissingWithoutBlocking) {
    struct Row {
        const char* name;
        std::function<void(const std::filesystem::path&)> make;
        const char* logged;
    };
    const std::vector<Row> rows = {
        {"a FIFO", makeFifo, "not a regular file"},
        {"one byte over the bound",
         [](const std::filesystem::path& f) { makeSparse(f, platform::Bundle::maxFileBytes + 1); }, "too large"},
        {"2 GB", [](const std::filesystem::path& f) { makeSparse(f, off_t{2} << 30); }, "too large"},
    };
    for (const Row& row : rows) {
        for (const char* refused : {"Info.plist", "en.lproj/Localizable.strings"}) {
            SCOPED_TRACE(std::string(row.name) + " as " + refused);
            testsupport::TempDir dir;
            const auto root = dir / "Copy.bundle";
            dir.write("Copy.bundle/Info.plist", kInfo);
            dir.write("Copy.bundle/en.lproj/Localizable.strings", "\"greeting\" = \"Hello\";");
            const auto file = root / refused;
            row.make(file);
            const bool plist = std::string_view(refused) == "Info.plist";

            platform::LogCapture log;
            auto load = std::async(std::launch::async, [&] {
                auto bundle = platform::Bundle::atPath(root);
                return std::pair(bundle ? bundle->identifier() : std::nullopt,
                                 bundle ? bundle->localizedString("greeting") : std::string("no bundle"));
            });
            if (load.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
                ADD_FAILURE() << "the load is blocked";
                int writer = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) ::close(writer);
            }
            EXPECT_EQ(load.get(), std::pair(plist ? std::nullopt : std::optional<std::string>("test.example"),
                                            std::string(plist ? "Hello" : "greeting")));
            EXPECT_TRUE(log.contains(std::string("Bundle :: ").append(file.string()).append(" is ").append(row.logged)
                                         .append(", read as missing")));
        }
    }
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
