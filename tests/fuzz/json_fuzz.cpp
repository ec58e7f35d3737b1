// Feeds arbitrary bytes to the JSON reader, and what it reads to every writer: nothing
// may crash, and whatever is written must read back as the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/json/json.hpp"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

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
