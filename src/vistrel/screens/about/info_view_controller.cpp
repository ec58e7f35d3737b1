#include "vistrel/screens/about/info_view_controller.hpp"

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/screens/about/about_storyboard.hpp"
#include "vistrel/screens/common/kit_storyboard.hpp"
#include "vistrel/screens/common/themed_bar.hpp"
#include "vistrel/screens/common/web_page_view.hpp"

namespace vistrel {

namespace {
constexpr std::string_view kPageAddressKey = "informations.url";
}

std::shared_ptr<InfoViewController> InfoViewController::instance() {
    return kitSceneOrBuilt<InfoViewController>(aboutStoryboard(), kAboutStoryboardName, std::nullopt);
}

InfoViewController::InfoViewController() : url_(tr(kPageAddressKey)) {}

void InfoViewController::loadView() {
    auto page = makeWebPageView();
    webView_ = page.webView;
    auto done = std::make_shared<platform::ui::BarButtonItem>(std::nullopt, platform::ui::BarButtonItemStyle::done);
    done->setTarget(std::static_pointer_cast<InfoViewController>(shared_from_this()),
                    &InfoViewController::didTapDoneButton);
    navigationItem().setRightBarButtonItem(done);
    doneBarButtonItem_ = done;
    setView(page.view);
}

void InfoViewController::viewDidLoad() {
    VistrelViewController::viewDidLoad();
    applyThemeToNavigationBar(*this);
    navigationItem().setTitle(tr("informations.confidentiality"));
    if (auto done = doneBarButtonItem()) done->setTitle(tr("general.done"));
    auto page = webView();
    if (!page) return;
    // tr gives the key itself when the table lacks it: no address at all.
    auto address = url_ == kPageAddressKey ? std::nullopt : platform::net::validatedHTTPURL(url_);
    if (!address) {
        std::string line = "Vistrel :: \"";
        line += kPageAddressKey;
        line += "\" gives no web address (";
        line += platform::escapeControlCharacters(url_);
        line += "); the about page shows no page";
        platform::log(line);
        return;
    }
    page->loadRequest(platform::net::URLRequest(*address));
}

void InfoViewController::didTapDoneButton() { platform::ui::ViewController::dismiss(true); }

void InfoViewController::webViewDidStartLoad(platform::ui::WebView&) {}
void InfoViewController::webViewDidFinishLoad(platform::ui::WebView&) {}

}  // namespace vistrel
