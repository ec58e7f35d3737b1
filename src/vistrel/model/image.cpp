#include "vistrel/model/image.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "vistrel/model/members.hpp"
#include "vistrel/model/style_texts.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/json_reader.hpp"
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

// The answer as read() gives it, but with only the first Image::maxActions elements of
// "Actions" converted: the rest of a long list is never built. `leftOut` gets how many
// were skipped.
platform::Value answerDocument(const platform::json::ValueView& root, std::size_t& leftOut) {
    using platform::json::ValueView;
    leftOut = 0;
    // The usual answer, with no more actions than are kept, is converted in one go.
    const std::optional<ValueView> list = root.member("Actions");
    if (!list || list->elements(nullptr, 0) <= Image::maxActions) return root.value();
    std::vector<platform::json::ViewMember> members(root.members(nullptr, 0));
    root.members(members.data(), members.size());
    std::vector<platform::Dictionary::Entry> entries;
    entries.reserve(members.size());
    for (const auto& [key, value] : members) {
        if (key != "Actions" || value.type() != platform::Value::Type::Array) {
            if (key == "Actions") leftOut = 0;  // of equal keys the last one counts
            entries.emplace_back(std::string(key), value.value());
            continue;
        }
        const std::size_t count = value.elements(nullptr, 0);
        std::vector<ValueView> kept(std::min(count, Image::maxActions));
        value.elements(kept.data(), kept.size());
        platform::Array actions;
        actions.reserve(kept.size());
        for (const ValueView& action : kept) actions.push_back(action.value());
        leftOut = count - kept.size();
        entries.emplace_back(std::string(key), platform::Value(std::move(actions)));
    }
    return platform::Value(platform::Dictionary(std::move(entries)));
}

// fromJson, with `leftOut` actions of the answer already dropped before the reading.
Image readImage(const JSON& json, std::size_t leftOut) {
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
        const std::size_t kept = std::min(elements->size(), Image::maxActions);
        std::vector<Action> list;
        list.reserve(kept);
        for (std::size_t i = 0; i < kept; ++i) list.push_back(Action::fromJson(JSON((*elements)[i]), styles));
        image.actions = std::move(list);
        leftOut += elements->size() - kept;
    }
    if (leftOut > 0) platform::log(platform::concatenate("Image :: ", std::to_string(leftOut), " actions left out"));
    return image;
}

}  // namespace

Image Image::fromJson(const JSON& json) { return readImage(json, 0); }

std::optional<Image> Image::fromAnswer(std::string_view data) {
    // The document is built outside the view: the style texts of the actions are read
    // with views of their own.
    std::optional<platform::Value> document;
    std::size_t leftOut = 0;
    platform::json::readView(data, [&](const platform::json::ValueView& root) {
        if (root.type() == platform::Value::Type::Dictionary) document = answerDocument(root, leftOut);
    });
    if (!document) return std::nullopt;
    return readImage(JSON(std::move(*document)), leftOut);
}

Image Image::fromData(std::string_view data) {
    if (auto image = fromAnswer(data)) return std::move(*image);
    return fromJson(JSON::fromData(data));
}

}  // namespace vistrel
