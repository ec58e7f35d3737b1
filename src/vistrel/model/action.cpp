#include "vistrel/model/action.hpp"

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_texts.hpp"

namespace vistrel {

Action Action::fromJson(const JSON& json) {
    StyleTexts styles;
    return fromJson(json, styles);
}

Action Action::fromJson(const JSON& json, StyleTexts& styles) {
    const Members members(json);
    Action action;
    action.id = members.string("Id");
    action.order = members.machineInteger("Order");
    action.icon = members.string("Icon");
    action.priority = members.machineInteger("Priority");
    action.name = members.string("Name");
    action.languageCode = members.string("LanguageCode");
    action.backgroundImage = members.string("BackgroundImage");
    if (auto type = members.text("Type")) action.type = actionTypeFromRawValue(*type);
    // The content only means something with a kind to read it by. Nested texts are
    // parsed where they lie, not copied out first.
    if (action.type) {
        if (auto text = members.text("Content"))
            action.content = Content(JSON::parseJSON(*text), *action.type);
    }
    if (auto text = members.text("Style")) action.style = styles.read(*text);
    return action;
}

}  // namespace vistrel
