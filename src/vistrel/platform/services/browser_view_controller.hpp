#pragma once
// The platform's in-app browser: a screen with its own bar showing the page's address and
// a Done button, and a web view under it that loads the page. Only http and https
// addresses are loaded; any other is shown but not loaded (with a log line). Done (or
// tapDone) dismisses the browser and then tells its delegate, held weakly. Main thread only.
#include <memory>
#include <string>

#include "vistrel/platform/services/service_screen.hpp"

namespace platform::ui {
class WebView;
}

namespace platform::services {

class BrowserViewController;

class BrowserViewControllerDelegate {
public:
    virtual ~BrowserViewControllerDelegate() = default;
    virtual void browserViewControllerDidFinish(BrowserViewController& controller) = 0;
};

class BrowserViewController : public ServiceScreen {
public:
    explicit BrowserViewController(std::string url);

    const std::string& url() const { return url_; }
    // Whether the address is one the browser loads (http or https).
    bool loadsURL() const { return loads_; }
    // The page view, once the screen is loaded.
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }

    std::weak_ptr<BrowserViewControllerDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<BrowserViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }

    // The user taps Done: the browser is dismissed, then the delegate is told. False, with
    // a log line, when the browser is not shown or has already closed.
    bool tapDone();

    // "browser <address>", with "(not loaded)" for an address it does not load.
    std::string summary() const override;

    void viewDidLoad() override;

protected:
    std::vector<Row> rows() const override;
    void layoutExtra(const ui::Rect& content, double rowsBottom) override;
    void leftTapped() override { tapDone(); }

private:
    std::string url_;
    bool loads_;
    std::shared_ptr<ui::WebView> webView_;
    std::weak_ptr<BrowserViewControllerDelegate> delegate_;
};

}  // namespace platform::services
