#include "vistrel/platform/ui/storyboard.hpp"

#include <mutex>
#include <utility>

#include "vistrel/platform/foundation/bundle.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::ui {

namespace {

using Key = std::pair<std::optional<std::string>, std::string>;

struct Entry {
    Storyboard::Registration registration;
    std::shared_ptr<const StoryboardDefinition> built;
};

struct Registry {
    std::mutex mutex;
    std::map<Key, Entry> entries;
};

// Never destroyed, so that lookups during static destruction still find it.
Registry& registry() {
    static auto* instance = new Registry;
    return *instance;
}

std::string inQuotes(std::string_view text) { return concatenate('"', escapeControlCharacters(text), '"'); }

std::string where(const std::optional<std::string>& bundleIdentifier) {
    return bundleIdentifier ? concatenate(" in bundle ", inQuotes(*bundleIdentifier)) : " in the application";
}

}  // namespace

// ---- Definition ----

void StoryboardDefinition::addViewController(std::string identifier, SceneFactory factory) {
    scenes_.insert_or_assign(std::move(identifier), std::move(factory));
}

void StoryboardDefinition::addSegue(std::string source, std::string identifier, std::string destination,
                                    SegueKind kind) {
    segues_.push_back({std::move(source), std::move(identifier), std::move(destination), kind, 0, {}});
}

void StoryboardDefinition::addEmbedSegue(std::string source, std::string identifier, std::string destination,
                                         int containerTag) {
    segues_.push_back(
        {std::move(source), std::move(identifier), std::move(destination), SegueKind::embed, containerTag, {}});
}

void StoryboardDefinition::addCustomSegue(std::string source, std::string identifier, std::string destination,
                                          SegueFactory factory) {
    segues_.push_back({std::move(source), std::move(identifier), std::move(destination), SegueKind::custom, 0,
                       std::move(factory)});
}

// ---- Registry ----

void Storyboard::registerStoryboard(std::string name, std::optional<std::string> bundleIdentifier,
                                    Registration registration) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.entries.insert_or_assign(Key{std::move(bundleIdentifier), std::move(name)}, Entry{std::move(registration), {}});
}

void Storyboard::unregisterStoryboard(std::string_view name, std::optional<std::string_view> bundleIdentifier) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    r.entries.erase(Key{bundleIdentifier ? std::optional<std::string>(*bundleIdentifier) : std::nullopt,
                        std::string(name)});
}

std::shared_ptr<Storyboard> Storyboard::named(std::string_view name, const Bundle* bundle) {
    std::optional<std::string> bundleIdentifier;
    if (bundle) bundleIdentifier = bundle->identifier().value_or("");
    const Key key{bundleIdentifier, std::string(name)};

    auto& r = registry();
    Registration registration;
    {
        std::lock_guard lock(r.mutex);
        auto it = r.entries.find(key);
        if (it == r.entries.end()) {
            log(concatenate("Storyboard :: no storyboard named ", inQuotes(name), where(bundleIdentifier)));
            return nullptr;
        }
        if (it->second.built) return std::make_shared<Storyboard>(std::string(name), it->second.built);
        registration = it->second.registration;
    }
    // Described outside the lock: the description may look up other storyboards.
    auto definition = std::make_shared<StoryboardDefinition>();
    if (registration) registration(*definition);
    {
        std::lock_guard lock(r.mutex);
        if (auto it = r.entries.find(key); it != r.entries.end() && !it->second.built) it->second.built = definition;
    }
    return std::make_shared<Storyboard>(std::string(name), std::move(definition));
}

Storyboard::Storyboard(std::string name, std::shared_ptr<const StoryboardDefinition> definition)
    : name_(std::move(name)), definition_(std::move(definition)) {}

// ---- Instantiation ----

std::shared_ptr<ViewController> Storyboard::adopt(std::shared_ptr<ViewController> controller,
                                                  std::optional<std::string> identifier) {
    if (!controller) {
        log(concatenate("Storyboard :: the factory of ", inQuotes(identifier.value_or("(initial)")), " in storyboard ",
                        inQuotes(name_), " made no controller"));
        return nullptr;
    }
    controller->storyboard_ = weak_from_this().lock();
    controller->storyboardIdentifier_ = std::move(identifier);
    return controller;
}

std::shared_ptr<ViewController> Storyboard::instantiateInitialViewController() {
    if (!definition_->initial_) {
        log(concatenate("Storyboard :: storyboard ", inQuotes(name_), " has no initial view controller"));
        return nullptr;
    }
    return adopt(definition_->initial_(*this), std::nullopt);
}

std::shared_ptr<ViewController> Storyboard::instantiateViewController(std::string_view identifier) {
    auto it = definition_->scenes_.find(identifier);
    if (it == definition_->scenes_.end() || !it->second) {
        log(concatenate("Storyboard :: storyboard ", inQuotes(name_), " has no view controller with identifier ",
                        inQuotes(identifier)));
        return nullptr;
    }
    return adopt(it->second(*this), std::string(identifier));
}

// ---- Segues ----

std::shared_ptr<StoryboardSegue> Storyboard::makeSegue(const StoryboardDefinition::Segue& segue,
                                                       std::shared_ptr<ViewController> source) {
    auto destination = instantiateViewController(segue.destination);
    if (!destination) return nullptr;
    switch (segue.kind) {
        case SegueKind::show: return std::make_shared<ShowSegue>(segue.identifier, source, destination);
        case SegueKind::presentModally:
            return std::make_shared<PresentModallySegue>(segue.identifier, source, destination);
        case SegueKind::embed:
            return std::make_shared<EmbedSegue>(segue.identifier, source, destination, segue.containerTag);
        case SegueKind::custom:
            if (segue.factory)
                if (auto made = segue.factory(segue.identifier, source, destination)) return made;
            log(concatenate("Storyboard :: the custom segue ", inQuotes(segue.identifier), " of storyboard ",
                            inQuotes(name_), " made nothing"));
            return nullptr;
    }
    return nullptr;
}

void Storyboard::performSegue(ViewController& source, std::string_view identifier, const std::any& sender) {
    const std::string scene = source.storyboardIdentifier().value_or("");
    for (const auto& segue : definition_->segues_) {
        if (segue.kind == SegueKind::embed || segue.source != scene || segue.identifier != identifier) continue;
        auto self = source.weak_from_this().lock();
        if (!self) return;
        auto made = makeSegue(segue, self);
        if (!made) return;
        source.prepareForSegue(*made, sender);
        made->perform();
        return;
    }
    log(concatenate("Storyboard :: ", source.description(), " has no segue with identifier ", inQuotes(identifier)));
}

void Storyboard::performEmbedSegues(ViewController& source) {
    const std::string scene = source.storyboardIdentifier().value_or("");
    auto self = source.weak_from_this().lock();
    if (!self) return;
    for (const auto& segue : definition_->segues_) {
        if (segue.kind != SegueKind::embed || segue.source != scene) continue;
        auto made = makeSegue(segue, self);
        if (!made) continue;
        source.prepareForSegue(*made, std::any{});
        made->perform();
    }
}

}  // namespace platform::ui
