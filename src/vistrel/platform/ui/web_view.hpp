#pragma once
// A web view without a web engine or network: it keeps each request it is asked to load,
// in order, shows the address of the current one, and tells its delegate (held weakly)
// that a load started, finished or failed. What becomes of a load is decided by whoever
// drives it (a test, the demo) through finishLoad and failLoad, which stand in for the
// page arriving or the network failing.
#include <memory>
#include <optional>
#include <vector>

#include "vistrel/platform/foundation/error.hpp"
#include "vistrel/platform/net/url_request.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

class WebView;

class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    virtual void webViewDidStartLoad(WebView& webView);
    virtual void webViewDidFinishLoad(WebView& webView);
    virtual void webViewDidFailLoad(WebView& webView, const Error& error);
};

class WebView : public View {
public:
    explicit WebView(const Rect& frame = {});

    std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }

    // Keeps the request, shows its address and tells the delegate the load started. A
    // load still in progress is cancelled first: the delegate hears that it failed with
    // the URL error "cancelled".
    void loadRequest(net::URLRequest request);
    // Every request asked to load, oldest first.
    const std::vector<net::URLRequest>& loadedRequests() const { return requests_; }
    // The request shown (the latest), if any.
    const net::URLRequest* request() const { return requests_.empty() ? nullptr : &requests_.back(); }
    bool isLoading() const { return loading_; }

    // End the load in progress, telling the delegate; false (and nothing told) when no
    // load is in progress.
    bool finishLoad();
    bool failLoad(const Error& error);

protected:
    void drawContent(graphics::Canvas& canvas) const override;

private:
    // Ends the load in progress and tells the delegate: finished, or failed with `error`.
    bool endLoad(const std::optional<Error>& error);

    std::weak_ptr<WebViewDelegate> delegate_;
    std::vector<net::URLRequest> requests_;
    bool loading_ = false;
};

}  // namespace platform::ui
