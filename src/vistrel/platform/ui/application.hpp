#pragma once
// The application: its windows front to back, the key window, where a touch of the
// screen goes, opening a URL through one hook, and the host application's name and
// version. One shared instance; window and touch work is main-thread only, like all
// view work; the URL hook, name and version may be used from any thread.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/ui/types.hpp"

namespace platform::ui {

class View;
class Window;

class Application {
public:
    static Application& shared();

    // Every live window, back to front: by level, and within a level the most recently
    // shown in front (windows never shown behind those shown, in the order made).
    std::vector<std::shared_ptr<Window>> windows() const;
    std::shared_ptr<Window> keyWindow() const;

    // Where a touch at `point` (screen coordinates) goes: the frontmost window whose
    // hit test gives a view (hidden and transparent windows give none), else the next.
    struct TouchTarget {
        std::shared_ptr<Window> window;
        std::shared_ptr<View> view;
        Point location;  // in the window's coordinates
    };
    std::optional<TouchTarget> touchTarget(Point point) const;
    // Taps the screen at `point` through that window; gives the view it hit, if any.
    std::shared_ptr<View> tap(Point point, int tapCount = 1) const;

    // Opening a URL goes through one hook; it answers whether the URL was opened. The
    // default hook logs the URL, records it (openedURLs) and says yes; it starts no
    // process. An empty URL is refused with a log line and reaches no hook.
    using OpenURLHook = std::function<bool(const std::string& url)>;
    bool open(std::string_view url);
    // Installs the hook (an empty one restores the default) and gives back the previous.
    OpenURLHook setOpenURLHook(OpenURLHook hook);
    // The URLs the default hook was given, oldest first.
    std::vector<std::string> openedURLs() const;
    void clearOpenedURLs();

    // The host application's name (at first the program's short name) and version (at
    // first "1.0").
    std::string name() const;
    void setName(std::string name);
    std::string version() const;
    void setVersion(std::string version);

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

private:
    Application();
    ~Application();
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform::ui
