#include "vistrel/screens/actions/web_view_controller.hpp"

#include "vistrel/core/on_main_queue.hpp"
#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/alert_action.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/screens/actions/actions_storyboard.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/common/themed_bar.hpp"
#include "vistrel/screens/common/vistrel_navigation_controller.hpp"
#include "vistrel/screens/common/web_page_view.hpp"

namespace vistrel {

using platform::ui::AlertAction;
using platform::ui::AlertActionStyle;
using platform::ui::BarButtonItem;
using platform::ui::BarButtonSystemItem;

std::shared_ptr<WebViewController> WebViewController::instance() {
    return kitSceneOrBuilt<WebViewController>(actionsStoryboard(), kActionsStoryboardName,
                                              kWebViewControllerIdentifier);
}

void WebViewController::show(const std::shared_ptr<platform::ui::ViewController>& target,
                             std::shared_ptr<WebViewController> browser) {
    if (!target || !browser) return;
    runOnMainQueue([target, browser] {
        if (auto navigation = target->navigationController()) {
            navigation->pushViewController(browser, true);
            return;
        }
        auto done = std::make_shared<BarButtonItem>(BarButtonSystemItem::done);
        done->setTarget(browser, &WebViewController::didTapDone);
        browser->navigationItem().setLeftBarButtonItem(done);
        target->present(std::make_shared<VistrelNavigationController>(browser), true);
    });
}

void WebViewController::loadView() {
    auto page = makeWebPageView();
    webView_ = page.webView;
    setView(page.view);
}

void WebViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    applyThemeToNavigationBar(*this);
    navigationItem().setTitle(actionTitle);
    if (!isAnonymous.value_or(false)) {
        auto button = std::make_shared<BarButtonItem>(BarButtonSystemItem::action);
        button->setTarget(std::static_pointer_cast<WebViewController>(shared_from_this()),
                          &WebViewController::didTapAction);
        navigationItem().setRightBarButtonItem(button);
    }
    auto page = webView();
    if (!url) {
        platform::log("Vistrel :: the browser was given no address; it loads no page");
    } else if (page) {
        page->loadRequest(platform::net::URLRequest(*url));
    }
}

void WebViewController::didTapAction() {
    auto self = std::static_pointer_cast<WebViewController>(shared_from_this());
    std::weak_ptr<WebViewController> weak = self;
    auto sheet = std::make_shared<platform::ui::AlertController>(std::nullopt, std::nullopt,
                                                                 platform::ui::AlertControllerStyle::actionSheet);
    sheet->addAction(
        std::make_shared<AlertAction>(tr("webview.open_safari"), AlertActionStyle::defaultStyle, [weak](AlertAction&) {
            if (auto screen = weak.lock()) screen->openInBrowser();
        }));
    sheet->addAction(
        std::make_shared<AlertAction>(tr("general.share"), AlertActionStyle::defaultStyle, [weak](AlertAction&) {
            if (auto screen = weak.lock()) screen->shareAddress();
        }));
    sheet->addAction(std::make_shared<AlertAction>(tr("general.cancel"), AlertActionStyle::cancel));
    // Shown as a popover, the sheet points at the action button, else the page's middle.
    sheet->setPopoverAnchor(platform::ui::popoverAnchor(navigationItem().rightBarButtonItem(), viewIfLoaded()));
    actionSheet_ = sheet;
    present(sheet, true);
}

void WebViewController::didTapDone() { platform::ui::ViewController::dismiss(true); }

void WebViewController::openInBrowser() {
    if (url) VistrelTools::launchUrl(shared_from_this(), *url, true, false, std::nullopt);
}

// The sheet points at the bar button that opened the action sheet.
void WebViewController::shareAddress() {
    if (url)
        VistrelTools::share(shared_from_this(), {platform::services::ActivityItem::makeAddress(*url)},
                            navigationItem().rightBarButtonItem());
}

void WebViewController::webViewDidStartLoad(platform::ui::WebView&) {}
void WebViewController::webViewDidFinishLoad(platform::ui::WebView&) {}

}  // namespace vistrel
