#include "hostile_demo.hpp"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "actions_demo.hpp"
#include "app_folders_demo.hpp"
#include "demo_measures.hpp"
#include "host_code_demo.hpp"
#include "host_defaults_demo.hpp"
#include "hostile_gallery_demo.hpp"
#include "loopback_services.hpp"
#include "shared_defaults_demo.hpp"
#include "png_rows.hpp"  // the PNG writer the tests use, row by row
#include "stopped_save_demo.hpp"
#include "stopped_writer_demo.hpp"
#include "vistrel/core/configuration_key.hpp"
#include "vistrel/core/sdk_configuration.hpp"
#include "vistrel/core/vistrel_error.hpp"
#include "vistrel/platform/dispatch/queue.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/ui/image_view.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/service/client.hpp"
#include "vistrel/service/picture_scanner.hpp"

namespace {

using namespace std::chrono_literals;
using platform::dispatch::RunLoop;
using Clock = DemoClock;

// What a scan of the photo gave: its actions' names, or the error's text.
std::string scanOutcome(const platform::graphics::Image& photo) {
    std::optional<vistrel::Image> image;
    std::optional<vistrel::VistrelError> error;
    bool done = false;
    const auto start = Clock::now();
    vistrel::PictureScanner().groupedRequests(photo, [&](auto found, auto failure) {
        image = std::move(found);
        error = failure;
        done = true;
    });
    if (!RunLoop::runUntil([&] { return done; }, 120s)) return "no answer within two minutes";
    std::string text = "after " + seconds(secondsSince(start)) + ", ";
    if (!image) return text + "\"" + (error ? vistrel::localizedString(*error) : "no image") + "\"";
    text += "the page's code: ";
    for (const auto& action : image->actions.value_or(std::vector<vistrel::Action>{}))
        text += action.name.value_or("?") + " ";
    return text;
}

// One action of an answer, its style giving it a row of two lines and a 24-point icon.
std::string actionJson(int order, const std::string& type, const std::string& name, const std::string& content,
                       const std::string& icon = "") {
    std::string json = R"({"Id": "hostile-)" + std::to_string(order) + R"(", "Order": )" + std::to_string(order) +
                       R"(, "Name": ")" + name + R"(", "Type": ")" + type + R"(", "Content": ")" + content + "\"";
    if (!icon.empty()) json += R"(, "Icon": ")" + icon + "\"";
    return json + R"(, "Style": "{\"icon\": {\"size\": \"24\", \"display\": \"true\", \"hposition\": \"left\"}, \"text\": {\"color\": \"#FFFFFF\"}, \"button\": {\"background-color\": \"#57606A\", \"height\": \"1\", \"display\": \"true\"}}"})";
}

std::filesystem::path writeAnswer(const std::filesystem::path& out, const std::string& name, const std::string& title,
                                  const std::string& actions) {
    auto path = out / name;
    std::ofstream(path, std::ios::binary) << R"({"Id": ")" << name << R"(", "Title": ")" << title
                                          << R"(", "SessionId": "hostile", "DocumentId": "hostile-)" << name
                                          << R"(", "Actions": [)" << actions << "]}";
    return path;
}

void writePicture(platform::ui::Window& window, const std::filesystem::path& path) {
    if (auto bitmap = platform::ui::render(window); bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "   wrote " << path.filename().string() << "\n";
}

void hostileScans(const platform::graphics::Image& photo, testsupport::LoopbackServer& service) {
    const std::string body(24u << 20, ' ');
    testsupport::CannedAnswer endless{200, body, {{"Content-Type", "application/json"}}};
    service.answer(endless);
    auto outcome = scanOutcome(photo);
    std::cout << "an answer of 24 MB, its length declared: " << outcome << "\n";
    endless.chunked = true;
    service.answer(endless);
    outcome = scanOutcome(photo);
    std::cout << "an answer of 24 MB in chunks, no length: " << outcome << "\n";

    // Another host on the same port: 127.0.0.2 is loopback too.
    const int port = service.port();
    testsupport::LoopbackServer other(port, "127.0.0.2");
    other.answer({200, "{}", {{"Content-Type", "application/json"}}});
    for (int status : {302, 307}) {
        service.answer({status, "", {{"Location", other.url("/elsewhere")}}});
        const auto before = other.requests().size();
        outcome = scanOutcome(photo);
        std::cout << status << " to " << other.url("/") << ": " << outcome << "\n   the other host got ";
        const auto got = other.requests();
        if (got.size() == before) std::cout << "nothing";
        for (auto i = before; i < got.size(); ++i)
            std::cout << got[i].method << ", " << (got[i].header("ApiKey") ? "the API key" : "no API key") << ", "
                      << got[i].body.size() << " bytes of photo";
        std::cout << "\n";
    }

    // A byte every half second: never idle, so only the exchange's deadline ends it.
    vistrel::Client::setRecognitionDeadline(3s);
    testsupport::CannedAnswer drip{200, std::string(200, ' '), {}};
    drip.pauseBetweenBodyBytes = 500ms;
    service.answer(drip);
    outcome = scanOutcome(photo);
    std::cout << "an answer dripping one byte every 0.5 s (the 60 s deadline set to 3 s here): " << outcome << "\n";
    vistrel::Client::setRecognitionDeadline(std::nullopt);
}

void unbrokenText(const std::filesystem::path& out) {
    const std::string longName(100u << 10, 'W');
    const std::string longText(1u << 20, 'A');
    auto answer = writeAnswer(out, "hostile-text.json", "One megabyte without a break",
                              actionJson(1, "TEXT", "Read " + longName, R"({\"Text\": \")" + longText + R"(\"})"));
    auto start = Clock::now();
    auto list = showActionList(answer, out, "hostile-text-list.png");
    if (!list) return;
    std::cout << "a row named with 100 KB without a break: shown in two lines, in " << seconds(secondsSince(start))
              << "\n";
    start = Clock::now();
    tapAction(*list, 0);
    auto window = list->window;
    writePicture(*window, out / "hostile-text.png");
    std::cout << "its text of 1 MB without a break: laid out and drawn in " << seconds(secondsSince(start)) << "\n";
}

// `count` times `unit` after `head`.
std::string repeated(std::string head, const std::string& unit, std::size_t count) {
    head.reserve(head.size() + unit.size() * count);
    for (std::size_t i = 0; i < count; ++i) head += unit;
    return head;
}

// Actions whose name (100 KB) and text (1 MB) are one endless character or invisible
// controls: each list shown, its action's text page opened and drawn, with the main
// thread watched throughout.
void endlessCharacters(const std::filesystem::path& out) {
    struct Kind {
        const char* what;
        const char* file;
        std::string name, text;
    };
    const std::string rlo = "\u202E", lro = "\u202D", acute = "\u0301", joined = "\u200D\U0001F469";
    const Kind kinds[] = {
        {"one letter under 50,000 accents (name), under 500,000 (text)", "hostile-accents",
         repeated("a", acute, 50'000), repeated("a", acute, 500'000)},
        {"17,000 right-to-left then 17,000 left-to-right overrides (name), 170,000 of each (text)", "hostile-bidi",
         repeated(repeated("", rlo, 17'000), lro, 17'000), repeated(repeated("", rlo, 170'000), lro, 170'000)},
        {"emoji joined by zero-width joiners into one character: 100 KB (name), 1 MB (text)", "hostile-emoji",
         repeated("\U0001F468", joined, 14'000), repeated("\U0001F468", joined, 140'000)},
    };
    for (const Kind& kind : kinds) {
        const std::string file = kind.file;
        auto answer = writeAnswer(out, file + ".json", kind.what,
                                  actionJson(1, "TEXT", kind.name, R"({\"Text\": \")" + kind.text + R"(\"})"));
        const auto peakBefore = peakResidentMiB();
        MainThreadWatch watch;
        auto start = Clock::now();
        auto list = showActionList(answer, out, file + "-list.png");
        if (!list) return;
        const double listed = secondsSince(start);
        start = Clock::now();
        tapAction(*list, 0);
        auto window = list->window;
        writePicture(*window, out / (file + ".png"));
        const double opened = secondsSince(start);
        std::cout << kind.what << ": the row shown in " << seconds(listed) << ", its text page laid out and drawn in "
                  << seconds(opened) << "; " << watch.stop() << "; the demo's peak memory " << peakBefore
                  << " MiB before, " << peakResidentMiB() << " MiB after\n";
    }
}

// Starts the kernel's high-water mark of resident memory again, after giving freed memory
// back, so that the next peak read is the peak of what follows.
void resetPeakResident() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Text pages of TEXT actions as long as an answer may hold (15 MB), of the make-ups that
// cost layout most, beside a short text: each list shown first, then its page opened and
// drawn with the main thread watched and the peak memory of that alone.
void longTextPages(const std::filesystem::path& out) {
    struct Kind {
        const char* what;
        const char* file;
        std::string text;
    };
    constexpr std::size_t kLong = 15'000'000;
    const auto upTo = [](const std::string& unit) { return repeated("", unit, kLong / unit.size()); };
    const Kind kinds[] = {
        {"a short text", "hostile-page-short", "Opening hours: Monday to Friday, 9:00 to 18:00."},
        {"15 MB of ordinary words", "hostile-page-words", upTo("abcdef ")},
        {"15 MB of letters each after a right-to-left mark", "hostile-page-rtl-marks", upTo("\u200Fa")},
        {"15 MB of line separators", "hostile-page-line-separators", upTo("\u2028")},
        {"15 MB whose script changes at every letter", "hostile-page-scripts",
         upTo("a\u03B1\u0431\u05D0\u0628\u0915\u0E01\u4E00")},
    };
    for (const Kind& kind : kinds) {
        const std::string file = kind.file;
        auto answer = writeAnswer(out, file + ".json", kind.what,
                                  actionJson(1, "TEXT", "Read it", R"({\"Text\": \")" + kind.text + R"(\"})"));
        auto list = showActionList(answer, out, file + "-list.png");
        if (!list) return;
        resetPeakResident();
        const auto peakBefore = peakResidentMiB();
        MainThreadWatch watch;
        const auto start = Clock::now();
        tapAction(*list, 0);
        auto window = list->window;
        writePicture(*window, out / (file + ".png"));
        const double opened = secondsSince(start);
        std::cout << kind.what << ": its text page opened and drawn in " << seconds(opened) << "; " << watch.stop()
                  << "; the demo's peak memory while it opened " << peakResidentMiB() << " MiB (" << peakBefore
                  << " MiB resident before)\n";
        // Closed, so that the next page starts from what the demo held before this one.
        list->navigation->dismiss(false);
        window->setHidden(true);
        RunLoop::runUntilIdle();
        std::filesystem::remove(answer);
    }
}

void hugeIcons(const std::filesystem::path& out, testsupport::LoopbackServer& service) {
    const std::string huge = imagetest::twoColourPng(8192, 8192, {255, 255, 255, 255}, {255, 200, 0, 255});
    service.answerWith([&huge](const testsupport::CapturedRequest&) {
        return testsupport::CannedAnswer{200, huge, {{"Content-Type", "image/png"}}};
    });
    std::string actions;
    for (int i = 1; i <= 8; ++i) {
        if (i > 1) actions += ", ";
        actions += actionJson(i, "TEXT", "Icon " + std::to_string(i) + " of 8192 x 8192 pixels", R"({\"Text\": \"-\"})",
                              service.url("/huge-" + std::to_string(i) + ".png"));
    }
    auto answer = writeAnswer(out, "hostile-icons.json", "Eight huge icons", actions);
    const auto downloads = service.requests().size();
    const auto peakBefore = peakResidentMiB();
    const auto start = Clock::now();
    auto list = showActionList(answer, out, "hostile-icons.png");
    if (!list) return;
    std::cout << "eight rows whose icons are PNG files of 8192 x 8192 pixels (" << huge.size() / 1024
              << " KB each): icons in place after " << seconds(secondsSince(start)) << " (decoded off the main thread), "
              << service.requests().size() - downloads << " downloads, each decoded at "
              << "the icon's size; the demo's peak memory " << peakBefore << " MiB before the list, "
              << peakResidentMiB() << " MiB after\n";
}

}  // namespace

int runHostileDemo(const std::filesystem::path& photoFile, const std::filesystem::path& out) {
    auto photo = platform::graphics::Image::fromFile(photoFile);
    if (!photo) {
        std::cerr << "vistrel-demo: cannot read the photo " << photoFile.string() << "\n";
        return 1;
    }
    auto service = serveRecognitionWith({});
    auto statistics = service ? serveStatistics() : nullptr;
    if (!statistics) return 1;
    std::cout << "\n== a hostile recognition service (the photo: " << photoFile.filename().string() << ")\n";
    hostileScans(*photo, *service);
    std::cout << "\n== hostile answers\n";
    unbrokenText(out);
    endlessCharacters(out);
    longTextPages(out);
    hugeIcons(out, *service);
    hostilePhotoFiles(*photo, out);
    stoppedSaves(out);
    hostCodeInARecordsSave(out, photoFile);
    hostDefaults(out);
    sharedDefaults(out);
    stoppedWriter(out);
    appFolders(out);
    return 0;
}
