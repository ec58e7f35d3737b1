#include "model/action.hpp"

#include "model/value_reading.hpp"

namespace vistrel {

Action Action::fromJson(const JSON& json) {
    Action action;
    action.id = json["Id"].string();
    action.order = value_reading::machineInteger(json["Order"]);
    action.icon = json["Icon"].string();
    action.priority = value_reading::machineInteger(json["Priority"]);
    action.name = json["Name"].string();
    action.languageCode = json["LanguageCode"].string();
    action.backgroundImage = json["BackgroundImage"].string();
    if (auto type = json["Type"].string()) action.type = actionTypeFromRawValue(*type);
    // The content only means something with a kind to read it by.
    if (action.type) {
        if (auto text = json["Content"].string())
            action.content = Content(JSON::parseJSON(*text), *action.type);
    }
    if (auto text = json["Style"].string()) action.style = Style::fromJson(JSON::parseJSON(*text));
    return action;
}

}  // namespace vistrel
