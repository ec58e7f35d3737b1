#pragma once
// Storyboards as code. A storyboard is registered under a name, within the bundle it
// belongs to, by a function that describes it: its initial controller and its
// controllers by identifier (each a factory that builds the controller, which builds
// its own views, outlets and actions), and the segues between them. Looking a storyboard
// up and instantiating its controllers never fails loudly: what is missing gives none
// and a log line.
#include <any>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/ui/storyboard_segue.hpp"

namespace platform {
class Bundle;
}

namespace platform::ui {

class Storyboard;
class ViewController;

// Builds one scene's controller; it may instantiate others from the same storyboard
// (a navigation controller its root, for instance).
using SceneFactory = std::function<std::shared_ptr<ViewController>(Storyboard& storyboard)>;
// Builds a custom segue.
using SegueFactory = std::function<std::shared_ptr<StoryboardSegue>(
    std::string identifier, std::shared_ptr<ViewController> source, std::shared_ptr<ViewController> destination)>;

enum class SegueKind { show, presentModally, embed, custom };

// What the registering function fills in.
class StoryboardDefinition {
public:
    void setInitialViewController(SceneFactory factory) { initial_ = std::move(factory); }
    // A later scene with the same identifier replaces the earlier one.
    void addViewController(std::string identifier, SceneFactory factory);

    // A segue from the scene `source` (its identifier; "" is the initial scene) to the
    // scene `destination`, named `identifier`.
    void addSegue(std::string source, std::string identifier, std::string destination, SegueKind kind);
    // An embed segue, performed while the source's view loads (before its viewDidLoad):
    // the destination's view fills the source's subview tagged `containerTag` (0: the
    // source's view itself).
    void addEmbedSegue(std::string source, std::string identifier, std::string destination, int containerTag = 0);
    void addCustomSegue(std::string source, std::string identifier, std::string destination, SegueFactory factory);

private:
    friend class Storyboard;
    struct Segue {
        std::string source;
        std::string identifier;
        std::string destination;
        SegueKind kind = SegueKind::show;
        int containerTag = 0;
        SegueFactory factory;
    };

    SceneFactory initial_;
    std::map<std::string, SceneFactory, std::less<>> scenes_;
    std::vector<Segue> segues_;
};

class Storyboard : public std::enable_shared_from_this<Storyboard> {
public:
    using Registration = std::function<void(StoryboardDefinition&)>;

    // Registers (or replaces) the storyboard `name` of the bundle with that identifier
    // (none: the application's own). The function runs when the storyboard is first
    // looked up after that.
    static void registerStoryboard(std::string name, std::optional<std::string> bundleIdentifier,
                                   Registration registration);
    // Removes it; later lookups find nothing.
    static void unregisterStoryboard(std::string_view name, std::optional<std::string_view> bundleIdentifier);

    // The storyboard of that name in the bundle (none: the application's own); none,
    // with a log line, when no such storyboard is registered.
    static std::shared_ptr<Storyboard> named(std::string_view name, const Bundle* bundle = nullptr);

    const std::string& name() const { return name_; }

    // Each call builds a new controller, which knows this storyboard and its identifier.
    // None, with a log line, when the storyboard has no initial controller or no scene
    // with that identifier, or the factory gives nothing.
    std::shared_ptr<ViewController> instantiateInitialViewController();
    std::shared_ptr<ViewController> instantiateViewController(std::string_view identifier);

    Storyboard(std::string name, std::shared_ptr<const StoryboardDefinition> definition);

private:
    friend class ViewController;

    std::shared_ptr<ViewController> adopt(std::shared_ptr<ViewController> controller,
                                          std::optional<std::string> identifier);
    void performSegue(ViewController& source, std::string_view identifier, const std::any& sender);
    void performEmbedSegues(ViewController& source);
    std::shared_ptr<StoryboardSegue> makeSegue(const StoryboardDefinition::Segue& segue,
                                               std::shared_ptr<ViewController> source);

    std::string name_;
    std::shared_ptr<const StoryboardDefinition> definition_;
};

}  // namespace platform::ui
