#include "vistrel/model/image.hpp"

#include <algorithm>
#include <string>

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_texts.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

// The document as diagnostic lines: its own line breaks separate them, and anything
// else that could forge or garble a line is escaped. Only its start: an answer may be
// megabytes long.
void logDocument(const JSON& json) {
    platform::log("*** Image ***");
    platform::logExcerpt(json.description());
}

}  // namespace

Image Image::fromJson(const JSON& json) {
    // Writing the whole document out costs more than reading it: only for a listener.
    if (platform::isLogging()) logDocument(json);
    const Members members(json);
    Image image;
    image.id = members.string("Id");
    image.order = members.machineInteger("Order");
    image.title = members.string("Title");
    image.sessionId = members.string("SessionId");
    image.documentId = members.string("DocumentId");
    image.autoTrigger = members.bool_("AutoTrigger");
    image.languageCode = members.string("LanguageCode");
    image.bigThumbnailUrl = members.string("BigThumbnailUrl");
    // Style texts are parsed where they lie, and a text repeated by the title and the
    // rows only once.
    StyleTexts styles;
    if (auto text = members.text("TitleStyle")) image.titleStyle = styles.read(*text);
    if (const platform::Array* elements = members.array("Actions")) {
        const std::size_t kept = std::min(elements->size(), maxActions);
        std::vector<Action> list;
        list.reserve(kept);
        for (std::size_t i = 0; i < kept; ++i) list.push_back(Action::fromJson(JSON((*elements)[i]), styles));
        image.actions = std::move(list);
        if (elements->size() > kept)
            platform::log(platform::concatenate("Image :: ", std::to_string(elements->size() - kept),
                                                " actions left out"));
    }
    return image;
}

Image Image::fromData(std::string_view data) { return fromJson(JSON::fromData(data)); }

}  // namespace vistrel
