#include "about_demo.hpp"

#include <iostream>
#include <string>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/web_view.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/about/info_view_controller.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/common/vistrel_navigation_controller.hpp"

namespace {

namespace ui = platform::ui;

constexpr const char* kSampleText =
    "Café des Arts\n\nOpen Monday to Saturday, 8:00 to 19:00. Breakfast until 11:00, lunch from noon. "
    "Show this page at the counter for a free coffee with any pastry.";

// Presents `screen` inside a navigation controller over a plain host screen, waits for
// the presentation to end and writes the window as `name` into `out`.
void showAndWrite(const std::shared_ptr<ui::ViewController>& screen, const std::filesystem::path& out,
                  const std::string& name) {
    auto host = std::make_shared<ui::ViewController>();
    auto window = std::make_shared<ui::Window>();
    window->setRootViewController(host);
    window->setHidden(false);  // shown, without taking the key window from the host
    host->present(std::make_shared<vistrel::VistrelNavigationController>(screen), false);
    platform::dispatch::RunLoop::runUntilIdle();
    const auto path = out / name;
    auto bitmap = ui::render(*window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << " (" << bitmap->width() << " x " << bitmap->height() << " pixels)\n";
    else
        std::cout << "could not write " << path.string() << "\n";
    host->dismiss(false);
}

}  // namespace

void writeAboutAndTextPictures(const std::filesystem::path& out) {
    std::cout << "\n== the about page: InfoViewController::instance()\n";
    auto about = vistrel::InfoViewController::instance();
    showAndWrite(about, out, "about.png");
    auto webView = about->webView();
    std::cout << "title: " << about->navigationItem().title().value_or("(none)")
              << ", page: " << (webView && webView->request() ? webView->request()->url : "(none)") << "\n";

    std::cout << "\n== a text page: ActionTextViewController::instance()\n";
    auto text = vistrel::ActionTextViewController::instance();
    text->text = kSampleText;
    showAndWrite(text, out, "text.png");
}
