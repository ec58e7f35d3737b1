#include "gallery_demo.hpp"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/touch_delivery.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/gallery/gallery_view_controller.hpp"

namespace ui = platform::ui;
using namespace std::chrono_literals;

namespace {

void tapView(const std::shared_ptr<ui::Window>& window, const ui::View& view) {
    const auto frame = view.convertRect(view.bounds(), nullptr);
    ui::tap(window, {frame.midX(), frame.midY()});
    platform::dispatch::RunLoop::runFor(400ms);  // the scroll and its animations settle
}

void draw(const std::shared_ptr<ui::Window>& window, const std::filesystem::path& path) {
    auto bitmap = ui::render(*window);
    if (bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "wrote " << path.string() << "\n";
    else
        std::cout << "could not write " << path.string() << "\n";
}

std::string nameOf(const vistrel::VistrelImage& record) {
    return platform::escapeControlCharacters(record.identifier().value_or("(no identifier)"));
}

}  // namespace

std::shared_ptr<vistrel::GalleryViewController> showGallery(const std::shared_ptr<ui::Window>& window,
                                                            const std::shared_ptr<ui::NavigationController>& navigation,
                                                            const std::filesystem::path& out) {
    std::cout << "\n== the gallery\n";
    auto gallery = vistrel::GalleryViewController::instance();
    gallery->option = vistrel::LibraryOption::recents;
    navigation->pushViewController(gallery, true);
    platform::dispatch::RunLoop::runFor(600ms);  // the push, then the pages and the first fetch
    const std::pair<std::shared_ptr<vistrel::LibraryButton>, const char*> tabs[] = {
        {gallery->recentsButton(), "gallery-recents.png"},
        {gallery->favoriteButton(), "gallery-favorites.png"},
        {gallery->waitingListButton(), "gallery-waiting.png"},
    };
    for (const auto& [button, file] : tabs) {
        if (!button) continue;
        tapView(window, *button);
        const auto tab = static_cast<std::size_t>(vistrel::rawValue(gallery->option));
        const auto count = tab < gallery->contentControllers.size()
                               ? gallery->contentControllers[tab]->vistrelImages().size()
                               : 0;
        std::cout << "tab " << gallery->navigationItem().title().value_or("?") << ": " << count << " photo(s)\n";
        draw(window, out / file);
    }
    return gallery;
}

ResendCount resendWaitingPhotos(const std::shared_ptr<ui::Window>& window,
                                const std::shared_ptr<ui::NavigationController>& navigation,
                                vistrel::GalleryViewController& gallery) {
    std::cout << "\n== sending the waiting photos again\n";
    if (gallery.contentControllers.size() < 3) {
        std::cout << "the gallery has no pages\n";
        return {};
    }
    auto page = gallery.contentControllers[2];
    const vistrel::VistrelImages waiting = page->vistrelImages();
    if (waiting.empty()) std::cout << "(no photo is waiting)\n";
    ResendCount count;
    for (const auto& record : waiting) {
        if (auto button = gallery.waitingListButton()) tapView(window, *button);
        const auto& listed = page->vistrelImages();
        const auto found = std::find(listed.begin(), listed.end(), record);
        if (found == listed.end()) continue;
        const int item = static_cast<int>(found - listed.begin());
        auto grid = page->collectionView();
        if (auto frame = grid->frameForItem({0, item})) grid->setContentOffset({0, std::max(0.0, frame->minY() - 20)});
        grid->layoutIfNeeded();
        auto card = grid->cellForItem({0, item});
        if (!card) continue;
        ui::Application::shared().clearOpenedURLs();
        tapView(window, *card);
        platform::dispatch::RunLoop::runUntil([&] { return !gallery.isResending(); }, 30s);
        platform::dispatch::RunLoop::runFor(400ms);
        std::cout << "resent " << nameOf(*record) << ": ";
        auto actions = std::dynamic_pointer_cast<vistrel::DisplayActionsViewController>(navigation->topViewController());
        if (actions && actions->imageViewModel) {
            ++count.recognised;
            std::cout << "\"" << platform::excerptOnOneLine(actions->imageViewModel->imageName().value_or(""))
                      << "\", " << actions->imageViewModel->numberOfActions() << " action(s), the action list\n";
            navigation->popViewController(true);
            platform::dispatch::RunLoop::runFor(600ms);
        } else if (auto opened = ui::Application::shared().openedURLs(); !opened.empty()) {
            ++count.recognised;
            std::cout << "its one action ran at once: " << platform::escapeControlCharacters(opened.front()) << "\n";
        } else if (gallery.alertController()) {
            ++count.failed;
            std::cout << "\"" << platform::escapeControlCharacters(gallery.baseMessage().value_or("")) << "\"\n";
            platform::dispatch::RunLoop::runFor(2200ms);  // the message closes itself
        } else if (gallery.isResending()) {
            ++count.failed;
            std::cout << "no answer within 30 s\n";
            break;
        } else {
            ++count.failed;
            std::cout << "nothing came back\n";
        }
    }
    return count;
}
