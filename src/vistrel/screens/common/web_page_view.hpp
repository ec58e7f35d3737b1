#pragma once
// The view of a screen that shows one web page: a white view the size of the main
// screen, filled at every layout by its web view.
#include <memory>

#include "vistrel/platform/ui/view.hpp"
#include "vistrel/platform/ui/web_view.hpp"

namespace vistrel {

struct WebPageView {
    std::shared_ptr<platform::ui::View> view;
    std::shared_ptr<platform::ui::WebView> webView;
};

WebPageView makeWebPageView();

}  // namespace vistrel
