#include "actions_demo.hpp"

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>

#include "vistrel/core/icon_image.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/actions/remote_image.hpp"
#include "vistrel/vistrel.hpp"

namespace ui = platform::ui;

std::shared_ptr<ActionListDemo> showActionList(const std::filesystem::path& answer, const std::filesystem::path& out,
                                               const std::string& picture) {
    std::cout << "\n== the action list: DisplayActionsViewController::instance() for " << answer.string() << "\n";
    std::ifstream in(answer, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    auto demo = std::make_shared<ActionListDemo>();
    demo->navigation = vistrel::Vistrel::rootViewController();
    if (!demo->navigation) {
        std::cout << "no root navigation controller\n";
        return nullptr;
    }
    demo->window = std::make_shared<ui::Window>();
    demo->window->setRootViewController(demo->navigation);
    demo->window->setHidden(false);
    platform::dispatch::RunLoop::runUntilIdle();

    demo->screen = vistrel::DisplayActionsViewController::instance();
    demo->screen->imageViewModel = std::make_shared<vistrel::ImageViewModel>(vistrel::Image::fromData(text.str()));
    // The photo of the answer: the page the build draws, else a plain colour.
    demo->screen->picture = platform::graphics::Image::fromFile(VISTREL_SAMPLE_PAGE);
    if (!demo->screen->picture)
        demo->screen->picture = vistrel::imageWithColor(platform::graphics::Color::rgba(0.35, 0.42, 0.5, 1));
    demo->navigation->pushViewController(demo->screen, false);
    platform::dispatch::RunLoop::runUntilIdle();
    waitForRowImages();

    std::cout << "rows: " << demo->screen->imageViewModel->numberOfActions() << ", title: "
              << platform::excerptOnOneLine(demo->screen->imageViewModel->imageName().value_or("(none)")) << "\n";
    const auto path = out / picture;
    auto bitmap = ui::render(*demo->window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << " (" << bitmap->width() << " x " << bitmap->height() << " pixels)\n";
    else
        std::cout << "could not write " << path.string() << "\n";
    return demo;
}

void waitForRowImages() {
    using platform::dispatch::RunLoop;
    RunLoop::runUntilIdle();
    RunLoop::runUntil([] { return vistrel::remoteImageCacheState().loading == 0; }, std::chrono::seconds(10));
    RunLoop::runUntilIdle();
}

std::shared_ptr<ui::ViewController> tapAction(ActionListDemo& demo, int row) {
    auto table = demo.screen->tableView();
    if (!table) return nullptr;
    demo.screen->didSelectRowAt(*table, {0, row});
    platform::dispatch::RunLoop::runUntilIdle();
    if (auto presented = demo.navigation->presentedViewController()) return presented;
    return demo.navigation->topViewController();
}
