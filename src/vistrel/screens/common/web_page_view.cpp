#include "vistrel/screens/common/web_page_view.hpp"

#include "vistrel/platform/ui/layout_callback_view.hpp"
#include "vistrel/platform/ui/screen.hpp"

namespace vistrel {

WebPageView makeWebPageView() {
    auto view = std::make_shared<platform::ui::LayoutCallbackView>(platform::ui::Screen::main().bounds());
    view->setBackgroundColor(platform::graphics::Color::white());
    auto webView = std::make_shared<platform::ui::WebView>(view->bounds());
    view->addSubview(webView);
    view->onLayout = [container = view.get(), page = std::weak_ptr<platform::ui::WebView>(webView)] {
        if (auto shown = page.lock()) shown->setFrame(container->bounds());
    };
    return {view, webView};
}

}  // namespace vistrel
