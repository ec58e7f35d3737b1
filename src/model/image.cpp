#include "model/image.hpp"

#include "model/value_reading.hpp"
#include "platform/foundation/log.hpp"

namespace vistrel {

namespace {

// The document as diagnostic lines: its own line breaks separate them, and anything
// else that could forge or garble a line is escaped.
void logDocument(const JSON& json) {
    platform::log("*** Image ***");
    const std::string text = json.description();
    std::string_view rest = text;
    while (true) {
        auto end = rest.find('\n');
        platform::log(platform::escapeControlCharacters(rest.substr(0, end)));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

}  // namespace

Image Image::fromJson(const JSON& json) {
    // Writing the whole document out costs more than reading it: only for a listener.
    if (platform::isLogging()) logDocument(json);
    Image image;
    image.id = json["Id"].string();
    image.order = value_reading::machineInteger(json["Order"]);
    image.title = json["Title"].string();
    image.sessionId = json["SessionId"].string();
    image.documentId = json["DocumentId"].string();
    image.autoTrigger = json["AutoTrigger"].bool_();
    image.languageCode = json["LanguageCode"].string();
    image.bigThumbnailUrl = json["BigThumbnailUrl"].string();
    if (auto text = json["TitleStyle"].string()) image.titleStyle = Style::fromJson(JSON::parseJSON(*text));
    const JSON actions = json["Actions"];
    if (actions.type() == Type::array) {
        const std::vector<JSON> elements = actions.arrayValue();
        std::vector<Action> list;
        list.reserve(elements.size());
        for (const JSON& element : elements) list.push_back(Action::fromJson(element));
        image.actions = std::move(list);
    }
    return image;
}

Image Image::fromData(std::string_view data) { return fromJson(JSON::fromData(data)); }

}  // namespace vistrel
