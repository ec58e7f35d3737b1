#include "vistrel/platform/foundation/property_list.hpp"

#include "vistrel/platform/foundation/property_list_parts.hpp"

namespace platform {

PropertyListStart propertyListStart(std::string_view bytes) {
    bytes = bytes.substr(0, propertyListStartBytes);
    constexpr std::string_view kBinary = "bplist";
    if (bytes.starts_with(kBinary)) return PropertyListStart::binary;
    const bool whole = bytes.size() >= propertyListStartBytes;
    if (kBinary.starts_with(bytes)) return whole || bytes.empty() ? PropertyListStart::none : PropertyListStart::undecided;
    // The first character after a byte-order mark and white space, in UTF-8 or UTF-16.
    int width = 1;
    bool bigEndian = true;
    std::size_t at = 0;
    if (bytes.starts_with("\xEF\xBB\xBF")) at = 3;
    else if (bytes.starts_with("\xFE\xFF")) at = 2, width = 2;
    else if (bytes.starts_with("\xFF\xFE")) at = 2, width = 2, bigEndian = false;
    else if (bytes.starts_with(std::string_view("\0<", 2))) return PropertyListStart::xml;  // UTF-16 with no mark
    for (; at + std::size_t(width) <= bytes.size(); at += std::size_t(width)) {
        const char high = width == 1 ? '\0' : bytes[bigEndian ? at : at + 1];
        const char c = width == 1 ? bytes[at] : bytes[bigEndian ? at + 1 : at];
        if (high != '\0') return PropertyListStart::none;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c == '<') return PropertyListStart::xml;
        if (c == '{' || c == '(') return PropertyListStart::oldStyle;
        return PropertyListStart::none;
    }
    return whole ? PropertyListStart::none : PropertyListStart::undecided;
}

PropertyListRead readPropertyListFully(std::string_view bytes) {
    using plist::refused;
    if (bytes.size() > maxPropertyListBytes) return refused(PropertyListRefusal::pastBounds);
    switch (propertyListStart(bytes)) {
    case PropertyListStart::binary: return plist::readBinary(bytes);
    case PropertyListStart::xml: return plist::readXml(bytes);
    case PropertyListStart::oldStyle: return refused(PropertyListRefusal::unrepresentable);
    case PropertyListStart::none:
    case PropertyListStart::undecided: break;
    }
    return refused(PropertyListRefusal::notAPropertyList);
}

std::optional<Value> readPropertyList(std::string_view bytes) { return readPropertyListFully(bytes).value; }

PropertyListWrite writePropertyListFully(PropertyListFormat format, const Value& value) {
    if (format == PropertyListFormat::binary) return plist::writeBinary(value);
    std::optional<std::string> xml = plist::writeXml(value);
    if (!xml) return {std::nullopt, PropertyListRefusal::unrepresentable};
    return {std::move(xml), std::nullopt};
}

std::optional<std::string> writePropertyList(PropertyListFormat format, const Value& value) {
    return writePropertyListFully(format, value).bytes;
}

std::optional<std::string> writePropertyListXml(const Value& value) { return plist::writeXml(value); }

std::optional<std::string> writePropertyListBinary(const Value& value) { return plist::writeBinary(value).bytes; }

std::optional<PropertyListRefusal> propertyListEntryRefusal(PropertyListFormat format, std::string_view key,
                                                            const Value& value) {
    // The writer refuses exactly what it cannot write so that it reads back the same.
    Dictionary entry;
    entry.set(std::string(key), value);
    return writePropertyListFully(format, Value(std::move(entry))).refusal;
}

bool propertyListHoldsEntry(PropertyListFormat format, std::string_view key, const Value& value) {
    return !propertyListEntryRefusal(format, key, value);
}

}  // namespace platform
