#include "vistrel/platform/ui/view_properties.hpp"

#include <mutex>
#include <utility>
#include <vector>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/view.hpp"

namespace platform::ui {

namespace {

struct Registry {
    std::mutex mutex;
    std::vector<std::pair<std::string, ViewProperty>> properties;  // newest last
};

Registry& registry() {
    static Registry instance;
    return instance;
}

std::optional<ViewProperty> find(const View& view, std::string_view key) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    for (auto it = r.properties.rbegin(); it != r.properties.rend(); ++it)
        if (it->first == key && it->second.appliesTo(view)) return it->second;
    return std::nullopt;
}

void logUnknown(std::string_view key) {
    log(concatenate("View :: no property named \"", escapeControlCharacters(key), "\" on this view"));
}

}  // namespace

void registerViewProperty(std::string name, ViewProperty property) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.properties.emplace_back(std::move(name), std::move(property));
}

bool setValueForKey(View& view, std::string_view key, const PropertyValue& value) {
    auto property = find(view, key);
    if (!property) {
        logUnknown(key);
        return false;
    }
    if (!property->set(view, value)) {
        log(concatenate("View :: the value given for \"", escapeControlCharacters(key),
                        "\" is not of the kind it takes"));
        return false;
    }
    return true;
}

std::optional<PropertyValue> valueForKey(const View& view, std::string_view key) {
    auto property = find(view, key);
    if (!property) {
        logUnknown(key);
        return std::nullopt;
    }
    return property->get(view);
}

}  // namespace platform::ui
