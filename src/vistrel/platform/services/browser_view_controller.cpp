#include "vistrel/platform/services/browser_view_controller.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/net/url.hpp"
#include "vistrel/platform/ui/web_view.hpp"

namespace platform::services {

BrowserViewController::BrowserViewController(std::string url)
    : ServiceScreen("Browser", "Done", std::nullopt),
      url_(std::move(url)),
      loads_(net::validatedHTTPURL(url_).has_value()) {
    if (!loads_)
        log(concatenate("BrowserViewController :: only http and https addresses are loaded, not \"",
                        escapeControlCharacters(url_), "\""));
}

void BrowserViewController::viewDidLoad() {
    ServiceScreen::viewDidLoad();
    webView_ = std::make_shared<ui::WebView>();
    webView_->setBackgroundColor(ui::Color::white(0.94));
    view()->insertSubviewBelow(webView_, bar().get());
    if (loads_) webView_->loadRequest(net::URLRequest(url_));
}

bool BrowserViewController::tapDone() {
    return finishOnce("BrowserViewController", [this] {
        auto self = std::static_pointer_cast<BrowserViewController>(shared_from_this());
        dismiss(true, [self] {
            if (auto delegate = self->delegate_.lock()) delegate->browserViewControllerDidFinish(*self);
        });
        return true;
    });
}

std::string BrowserViewController::summary() const {
    return concatenate("browser ", url_, loads_ ? "" : " (not loaded)");
}

std::vector<ServiceScreen::Row> BrowserViewController::rows() const { return {{"Address", url_, std::nullopt}}; }

void BrowserViewController::layoutExtra(const ui::Rect& content, double rowsBottom) {
    // The address sits at the top; the page fills the rest.
    if (webView_)
        webView_->setFrame({content.minX(), rowsBottom, content.width(), std::max(0.0, content.maxY() - rowsBottom)});
}

}  // namespace platform::services
