#include "action_road_demo.hpp"

#include <cctype>
#include <chrono>
#include <iostream>
#include <memory>
#include <string>

#include "actions_demo.hpp"
#include "demo_log.hpp"
#include "loopback_services.hpp"
#include "vistrel/model/action_type.hpp"
#include "vistrel/platform/dispatch/run_loop.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"
#include "vistrel/platform/services/contact_view_controller.hpp"
#include "vistrel/platform/services/event_edit_view_controller.hpp"
#include "vistrel/platform/services/service_screen.hpp"
#include "vistrel/platform/ui/alert_controller.hpp"
#include "vistrel/platform/ui/application.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/render.hpp"
#include "vistrel/platform/ui/window.hpp"
#include "vistrel/presentation/image_view_model.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/display_actions_view_controller.hpp"
#include "vistrel/screens/actions/web_view_controller.hpp"

namespace {

namespace ui = platform::ui;
namespace services = platform::services;
using namespace std::chrono_literals;

template <typename Fields>
std::string joined(const Fields& fields) {
    std::string text;
    for (const auto& field : fields) {
        if (field.value.empty()) continue;
        if (!text.empty()) text += ", ";
        text.append(field.name).append(": ").append(field.value);
    }
    return platform::escapeControlCharacters(text);
}

// One line on the screen an action put on top.
std::string described(const std::shared_ptr<ui::ViewController>& top) {
    if (auto screen = std::dynamic_pointer_cast<services::ServiceScreen>(top)) return screen->summary();
    if (auto editor = std::dynamic_pointer_cast<services::EventEditViewController>(top))
        return platform::concatenate("event editor: ", joined(editor->displayedFields()));
    if (auto contact = std::dynamic_pointer_cast<services::ContactViewController>(top))
        return platform::concatenate("new contact: ", joined(contact->displayedFields()));
    if (auto alert = std::dynamic_pointer_cast<ui::AlertController>(top))
        return platform::concatenate("alert: ", alert->title().value_or(""), " / ", alert->message().value_or(""));
    if (auto text = std::dynamic_pointer_cast<vistrel::ActionTextViewController>(top))
        return platform::concatenate("text page: ", platform::excerptOnOneLine(text->text.value_or("")));
    if (auto nav = std::dynamic_pointer_cast<ui::NavigationController>(top))
        if (auto inner = nav->topViewController(); inner && inner != top) return described(inner);
    if (auto browser = std::dynamic_pointer_cast<vistrel::WebViewController>(top))
        return platform::concatenate("in-app browser: ", browser->url.value_or(""));
    return "a screen of its own";
}

std::string lowerKind(vistrel::ActionType type) {
    std::string kind(vistrel::rawValue(type));
    for (char& c : kind) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return kind;
}

}  // namespace

void tapAndDescribe(ActionListDemo& demo, int row, const std::filesystem::path& out) {
    auto& application = ui::Application::shared();
    auto kind = demo.screen->imageViewModel->typeForAction(row);
    auto opened = application.openedURLs().size();
    tapAction(demo, row);
    // Some launchers answer later (calendar access, the geocoder): let them.
    platform::dispatch::RunLoop::runFor(300ms);
    std::shared_ptr<ui::ViewController> top = demo.navigation->presentedViewController();
    if (!top && demo.navigation->topViewController() != demo.screen) top = demo.navigation->topViewController();
    std::cout << row + 1 << ". " << vistrel::rawValue(kind) << ": ";
    auto urls = application.openedURLs();
    for (auto i = opened; i < urls.size(); ++i) std::cout << "opened " << urls[i] << (top ? "; " : "");
    if (top) std::cout << described(top);
    if (!top && urls.size() == opened) std::cout << "nothing shown";
    std::cout << "\n";
    if (!top) return;
    auto path = out / platform::concatenate("action-", std::to_string(row + 1), "-", lowerKind(kind), ".png");
    if (auto bitmap = ui::render(*demo.window); bitmap && platform::graphics::writePng(*bitmap, path))
        std::cout << "   wrote " << path.filename().string() << "\n";
    if (demo.navigation->presentedViewController())
        demo.navigation->dismiss(false);
    else
        demo.navigation->popViewController(false);
    platform::dispatch::RunLoop::runFor(50ms);
}

bool runActionRoad(const std::filesystem::path& answer, const std::filesystem::path& out) {
    // The services on the configured loopback addresses: the recognition one serves the
    // answer's pictures (the rows' icons); the statistics one takes the click reports.
    auto recognition = serveRecognition(answer);
    auto statistics = recognition ? serveStatistics() : nullptr;
    if (!statistics) return false;

    auto demo = showActionList(answer, out);
    if (!demo || !demo->screen->imageViewModel) return true;
    std::cout << "\n== each action tapped in turn\n";
    const auto count = demo->screen->imageViewModel->numberOfActions();
    for (int row = 0; row < count; ++row) tapAndDescribe(*demo, row, out);
    statistics->waitForRequests(static_cast<std::size_t>(count), 2s);
    std::cout << "\n== click reports received by the statistics service\n";
    for (const auto& request : statistics->requests())
        std::cout << request.method << " " << request.target << "  SessionId: " << request.header("SessionId").value_or("")
                  << "\n";
    if (statistics->requests().empty()) std::cout << "(none)\n";
    return true;
}
