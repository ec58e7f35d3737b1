// The demo host: links the kit and drives it the way an application would, printing
// what it sees and writing a picture of every screen it shows to the output folder.
//
//   vistrel-demo [--out DIR] [ANSWER.json]
//   vistrel-demo [--out DIR] --photo FILE [--no-service | --offline] [ANSWER.json]
//   vistrel-demo [--out DIR] --photo FILE --hostile
//   vistrel-demo [--out DIR] --history
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "about_demo.hpp"
#include "action_road_demo.hpp"
#include "app_folders_demo.hpp"
#include "answer_demo.hpp"
#include "demo_log.hpp"
#include "fab_demo.hpp"
#include "history_demo.hpp"
#include "hostile_demo.hpp"
#include "list_demo.hpp"
#include "shared_defaults_demo.hpp"
#include "photo_demo.hpp"
#include "screens_demo.hpp"
#include "spinner_demo.hpp"
#include "stopped_save_demo.hpp"
#include "stopped_writer_demo.hpp"
#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/data_directory.hpp"
#include "vistrel/core/fonts.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/core/vistrel_pref.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/vistrel.hpp"
// The UI sample below.
#include "vistrel/core/height_for_view.hpp"
#include "vistrel/core/icon_view.hpp"
#include "vistrel/core/view_conveniences.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/button.hpp"
#include "vistrel/platform/ui/label.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"

namespace {

struct Options {
    std::filesystem::path out = "vistrel-demo-out";
    std::optional<std::filesystem::path> answer;
    std::optional<std::filesystem::path> photo;
    bool service = true;
    bool offline = false;
    bool history = false;
    bool hostile = false;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (arg == "--photo" && i + 1 < argc) {
            options.photo = argv[++i];
        } else if (arg == "--history") {
            options.history = true;
        } else if (arg == "--no-service") {
            options.service = false;
        } else if (arg == "--hostile") {
            options.hostile = true;
        } else if (arg == "--offline") {
            options.offline = true;
        } else if (arg == "-h" || arg == "--help" || (!arg.empty() && arg[0] == '-')) {
            return std::nullopt;
        } else if (!options.answer) {
            options.answer = arg;
        } else {
            return std::nullopt;
        }
    }
    const bool photoOnly = !options.service || options.offline;
    if ((photoOnly && !options.photo) || (!options.service && options.offline) ||
        (options.history && (options.photo || options.answer)) ||
        (options.hostile && (!options.photo || options.answer || photoOnly)))
        return std::nullopt;
    return options;
}

void section(const char* title) { std::cout << "\n== " << title << "\n"; }

// The demo's own data folder in the output folder. The tour makes it anew so that the
// first-run set-up shows each time; scans and the history listing keep it, so scans
// add up. The demo marks the folder when it makes it and uses or removes only a marked
// one: a folder of that name that someone else made stays as it is, and the run stops.
std::optional<std::filesystem::path> demoDataFolder(const std::filesystem::path& out, bool fresh) {
    namespace fs = std::filesystem;
    const fs::path data = fs::absolute(out / "vistrel-demo-data");
    const fs::path mark = data / ".made-by-vistrel-demo";
    std::error_code ec;
    if (fs::exists(data, ec) || fs::is_symlink(data, ec)) {
        if (fs::is_symlink(data, ec) || !fs::is_regular_file(mark, ec)) {
            std::cerr << data.string() << " was not made by the demo; leaving it alone. Choose another --out.\n";
            return std::nullopt;
        }
        if (!fresh) return data;
        fs::remove_all(data, ec);
    }
    fs::create_directories(data, ec);
    if (!ec) std::ofstream(mark) << "made by vistrel-demo; removed with its folder when the full demo runs again\n";
    if (ec || !fs::is_regular_file(mark, ec)) {
        std::cerr << "cannot make " << data.string() << "\n";
        return std::nullopt;
    }
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    // The run the demo stops at a step of a save, started by the demo itself.
    if (auto status = runStoppedSaveChild(argc, argv)) return *status;
    // A kit process setting preferences beside others, started by the demo itself.
    if (auto status = runSharedDefaultsChild(argc, argv)) return *status;
    if (auto status = runStoppedWriterChild(argc, argv)) return *status;
    // An app of its own name over the kit's shared folder, started by the demo itself.
    if (auto status = runAppFolderChild(argc, argv)) return *status;
    auto options = parse(argc, argv);
    if (!options) {
        std::cerr << "usage: vistrel-demo [--out DIR] [ANSWER.json]\n"
                     "       vistrel-demo [--out DIR] --photo FILE [--no-service | --offline] [ANSWER.json]\n"
                     "       vistrel-demo [--out DIR] --photo FILE --hostile\n"
                     "       vistrel-demo [--out DIR] --history\n";
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(options->out, ec);
    if (ec) {
        std::cerr << "cannot create " << options->out << ": " << ec.message() << "\n";
        return 1;
    }

    auto data = demoDataFolder(options->out, !options->photo && !options->history);
    if (!data) return 1;
    setenv("VISTREL_HOME", data->c_str(), 1);

    // The kit's lines go to standard output, prefixed, so the demo reads as one story.
    // A whole answer document the kit prints is shown as one line.
    auto kitLog = std::make_shared<DemoLog>(std::cout);
    platform::setLogSink([kitLog](std::string_view line) { kitLog->line(line); });
    struct ShowHeldLinesAtExit {
        std::shared_ptr<DemoLog> log;
        ~ShowHeldLinesAtExit() { log->flush(); }
    } showHeldLinesAtExit{kitLog};

    section("bundle");
    auto bundle = vistrel::vistrelBundle();
    std::cout << "bundle: " << (bundle ? bundle->bundlePath().string() : "(not found)") << "\n";
    std::cout << "data folder: " << vistrel::dataDirectory().string() << "\n";

    section("start-up: Vistrel::setApiKey(\"demo-api-key\")");
    vistrel::Vistrel::setApiKey("demo-api-key");

    if (options->history) {
        printHistory();
        return 0;
    }
    if (options->hostile) return runHostileDemo(*options->photo, options->out);
    if (options->photo) {
        PhotoDemoOptions photo{*options->photo, options->answer.value_or(VISTREL_SAMPLE_ANSWER), options->service,
                               options->offline};
        return runPhotoRoad(photo, options->out);
    }

    section("preferences");
    std::cout << "apiKey = " << vistrel::VistrelPref::getApiKey().value_or("(none)") << "\n"
              << "useBlackAndWhite = " << std::boolalpha << vistrel::VistrelPref::useBlackAndWhite() << "\n"
              << "applicationInstanceId = " << vistrel::VistrelPref::getApplicationInstanceId().value_or("(none)")
              << "\n"
              << "hasBeenMigrated = " << vistrel::VistrelPref::hasBeenMigrated() << "\n";

    section("configuration");
    vistrel::SdkConfiguration::shared().printAllConfigurations();
    const auto& config = vistrel::SdkConfiguration::shared();
    std::cout << "recognition address (unescaped) = "
              << config.urlValueForKey(vistrel::ConfigurationKey::sdkEnrichedImageUrl) << "\n"
              << "photo width = " << config.floatValueForKey(vistrel::ConfigurationKey::sdkImageSendWidth)
              << ", quality = " << config.floatValueForKey(vistrel::ConfigurationKey::sdkImageSendQuality)
              << ", gallery size = " << config.intValueForKey(vistrel::ConfigurationKey::galleryNumberOfItems)
              << "\n";

    section("localised texts");
    for (const char* key : {"camera.network.no_internet", "actions.list.error.not_enriched_image",
                            "zbar.qrcode_detected", "general.ok", "no.such.key"})
        std::cout << key << " = " << vistrel::tr(key) << "\n";

    section("fonts");
    for (const char* name : {"icomoon", "SFProText-Regular", "SFProText-Medium", "SFProText-Heavy",
                             "SFProText-Italic", "SFProText-MediumItalic", "SFProText-HeavyItalic"}) {
        auto font = platform::graphics::FontRegistry::shared().font(name, 17);
        std::cout << name << ": " << (font ? "registered" : "NOT registered") << "\n";
    }
    vistrel::printFontNames();

    // ---- UI layer: a small view tree drawn with the kit's fonts -> "ui-sample.png" ----
    section("ui sample");
    {
        using namespace platform::ui;
        using platform::graphics::Color;
        auto window = std::make_shared<Window>(Rect{0, 0, 240, 120});
        auto root = std::make_shared<View>();
        root->setBackgroundColor(Color::white());
        window->setRootView(root);
        auto card = std::make_shared<View>(Rect{10, 10, 160, 100});
        card->setBackgroundColor(Color::rgba(0.1, 0.3, 0.8));
        vistrel::setCornerRadius(*card, 16, 4, Color::rgba(0.9, 0.1, 0.1));
        root->addSubview(card);
        auto label = std::make_shared<Label>(Rect{20, 20, 140, 80});
        label->setText("Vistrel turns a printed page into actions");
        label->setFont(platform::graphics::FontRegistry::shared().font("SFProText-Regular", 17));
        label->setTextColor(Color::white());
        label->setNumberOfLines(0);
        root->addSubview(label);
        auto star = vistrel::barButtonWithIconType(vistrel::VistrelIconType::StarFull, 36, Color::rgba(1, 0.8, 0));
        star->setCenter({205, 60});
        root->addSubview(star);
        window->makeKeyAndVisible();
        if (auto font = label->font())
            std::cout << "label text height in 140 points: " << vistrel::heightForView(*label->text(), *font, 140, 0)
                      << " (all lines), " << vistrel::heightForView(*label->text(), *font, 140, 2)
                      << " (two lines)\n";
        auto path = options->out / "ui-sample.png";
        auto bitmap = render(*window);
        if (bitmap && platform::graphics::writePng(*bitmap, path))
            std::cout << "wrote " << path.string() << " (" << bitmap->width() << " x " << bitmap->height()
                      << " pixels)\n";
        else
            std::cout << "could not write " << path.string() << "\n";
    }
    // ---- end of the UI sample ----

    printAnswer(options->answer.value_or(VISTREL_SAMPLE_ANSWER));
    showRootScreen(options->out);
    writeListSample(options->out);
    writeSpinnerPicture(options->out);
    writeAboutAndTextPictures(options->out);
    writeFabPictures(options->out);
    if (!runActionRoad(options->answer.value_or(VISTREL_SAMPLE_ANSWER), options->out)) return 1;
    std::cout << "\npictures go to " << std::filesystem::absolute(options->out).string() << "\n";
    return 0;
}
