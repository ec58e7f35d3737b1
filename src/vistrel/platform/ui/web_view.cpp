#include "vistrel/platform/ui/web_view.hpp"

#include "vistrel/platform/graphics/canvas.hpp"
#include "vistrel/platform/graphics/font_registry.hpp"
#include "vistrel/platform/net/url_error.hpp"

namespace platform::ui {

void WebViewDelegate::webViewDidStartLoad(WebView&) {}
void WebViewDelegate::webViewDidFinishLoad(WebView&) {}
void WebViewDelegate::webViewDidFailLoad(WebView&, const Error&) {}

WebView::WebView(const Rect& frame) : View(frame) { setBackgroundColor(Color::white()); }

void WebView::loadRequest(net::URLRequest request) {
    // The view may be let go by a delegate it calls; keep it (when shared) until the end.
    const auto self = weak_from_this().lock();
    if (loading_) {
        const std::string& previous = requests_.back().url;
        endLoad(net::makeURLError(net::URLError::cancelled, "cancelled", previous));
    }
    requests_.push_back(std::move(request));
    loading_ = true;
    setNeedsDisplay();
    if (auto delegate = delegate_.lock()) delegate->webViewDidStartLoad(*this);
}

bool WebView::finishLoad() { return endLoad(std::nullopt); }

bool WebView::failLoad(const Error& error) { return endLoad(error); }

bool WebView::endLoad(const std::optional<Error>& error) {
    if (!loading_) return false;
    const auto self = weak_from_this().lock();
    loading_ = false;
    if (auto delegate = delegate_.lock()) {
        if (error)
            delegate->webViewDidFailLoad(*this, *error);
        else
            delegate->webViewDidFinishLoad(*this);
    }
    return true;
}

void WebView::drawContent(graphics::Canvas& canvas) const {
    const auto* shown = request();
    if (!shown || shown->url.empty()) return;
    const Rect b = bounds().insetBy(8, 8);
    if (!(b.width() > 0 && b.height() > 0)) return;
    graphics::TextLayoutOptions options;
    options.lineBreakMode = graphics::LineBreakMode::charWrap;
    options.alignment = graphics::TextAlignment::center;
    canvas.save();
    canvas.clip(bounds());
    canvas.drawText(graphics::makeAttributedString(shown->url, graphics::FontRegistry::shared().defaultFont(13),
                                                   Color::darkGray()),
                    b, options);
    canvas.restore();
}

}  // namespace platform::ui
