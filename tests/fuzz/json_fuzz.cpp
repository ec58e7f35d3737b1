// Feeds arbitrary bytes to the JSON reader, and what it reads to every writer: nothing
// may crash, and whatever is written must read back as the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/foundation/json_reader.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace {

using vistrel::JSON;
using vistrel::Type;

void require(bool condition) {
    if (!condition) std::abort();
}

// Every text form of a document reads back equal.
void checkWriters(const JSON& document) {
    auto compact = document.rawData();
    require(compact.has_value());
    require(JSON::fromData(*compact) == document);
    auto pretty = document.rawString();
    require(pretty.has_value());
    require(JSON::parseJSON(*pretty) == document);
    vistrel::WritingOptionsMap members{{vistrel::writingOptionsKeys::castNilToNSNull, true},
                                       {vistrel::writingOptionsKeys::maxObjextDepth, 1000}};
    auto memberByMember = document.rawString(members);
    require(memberByMember.has_value());
    require(JSON::parseJSON(*memberByMember) == document);
}

// The value's other operations, for the sanitizers to watch.
void exercise(const JSON& value) {
    JSON copy = value;
    require(copy == value || value.type() == Type::unknown);
    (void)(copy < value);
    copy.merge(value);
    std::size_t walked = 0;
    for (auto [key, member] : value) {
        walked += key.size() + member.stringValue().size();
        (void)member.int64Value();
        (void)member.uInt8Value();
        (void)member.floatValue();
        (void)member.url();
        (void)value[key];
    }
    (void)value[{0, "a", 1}];
    (void)walked;
}

// A view shows what the converted value holds (containers by their members' keys).
void requireSameValue(const platform::json::ValueView& view, const platform::Value& value) {
    require(view.type() == value.type());
    require(view.string().has_value() == (value.string() != nullptr));
    if (value.string()) require(*view.string() == *value.string());
    require(view.number().has_value() == (value.number() != nullptr));
    if (value.number()) require(*view.number() == *value.number() && view.number()->kind() == value.number()->kind());
    if (const platform::Dictionary* members = value.dictionary()) {
        for (const auto& [key, member] : *members) {
            auto found = view.member(key);
            require(found.has_value());
            requireSameValue(*found, member);
        }
    }
    const platform::Array* items = value.array();
    std::vector<platform::json::ValueView> elements(view.elements(nullptr, 0));
    require(elements.size() == (items ? items->size() : 0));
    view.elements(elements.data(), elements.size());
    for (std::size_t i = 0; i < elements.size(); ++i) requireSameValue(elements[i], (*items)[i]);
}

// Viewing the bytes gives the verdict and the values of reading them, and a style read
// off the viewed text equals the style of the converted value.
void checkView(std::string_view bytes) {
    std::optional<platform::Value> value = platform::json::read(bytes);
    bool viewed = platform::json::readView(bytes, [&](const platform::json::ValueView& root) {
        require(value.has_value());
        requireSameValue(root, *value);
        require(root.value() == *value);
    });
    require(viewed == value.has_value());

    JSON styleText = JSON(std::string(bytes));
    auto quoted = JSON::arrayLiteral({styleText}).rawData();
    if (!quoted) return;  // not UTF-8: no answer can carry it
    std::string answer = "{\"TitleStyle\": " + quoted->substr(1, quoted->size() - 2) + "}";
    vistrel::Image image = vistrel::Image::fromData(answer);
    require(image.titleStyle == vistrel::Style::fromJson(JSON::parseJSON(bytes)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static const bool quiet = (platform::setLogSink(platform::discardLine), true);
    (void)quiet;
    checkView(bytes);

    JSON read = JSON::fromData(bytes);
    if (read.type() == Type::array || read.type() == Type::dictionary) checkWriters(read);
    else checkWriters(JSON::arrayLiteral({read}));
    exercise(read);

    // The bytes as a string value: written only when they are UTF-8, and then exactly.
    JSON text = JSON::arrayLiteral({JSON(std::string(bytes))});
    auto written = text.rawData();
    if (written) require(JSON::fromData(*written) == text);
    (void)text.description();
    return 0;
}
