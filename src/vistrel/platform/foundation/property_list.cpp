#include "vistrel/platform/foundation/property_list.hpp"

#include <plist/plist.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "vistrel/platform/foundation/property_list_screening.hpp"

namespace platform {

namespace {

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Property lists nest only as deep as their authors write them. A binary file's writer
// shares texts, numbers, dates and data among the references to them, never containers,
// so each value of its tree costs a reference of at least a byte: no file so written
// holds more values than it has bytes. A hostile file sharing containers is held to the
// same, however small it is kept.
constexpr int kMaxDepth = 256;
constexpr std::uint64_t kLeastMaxValues = 1 << 20;

// Property lists count time from 1 January 2001 UTC.
constexpr std::chrono::seconds kReferenceDate{978307200};

std::optional<Value> fromNode(plist_t node, int depth) {
    if (!node || depth > kMaxDepth) return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return Value(Number::fromBool(b != 0));
    }
    case PLIST_UINT: {
        // This library keeps every integer as 64 unsigned bits; a negative integer
        // comes back in two's complement.
        uint64_t u = 0;
        plist_get_uint_val(node, &u);
        return Value(Number::fromInt(static_cast<int64_t>(u)));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return Value(Number::fromDouble(d));
    }
    case PLIST_STRING: {
        // Read by pointer and length: the library's copying reader stops the process on
        // a text holding a NUL character, which no property list may carry.
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (!text) return Value(std::string());
        if (std::memchr(text, 0, length)) return std::nullopt;
        return Value(std::string(text, length));
    }
    case PLIST_KEY: {
        // A key standing where a value belongs; the screening keeps NULs out of keys.
        char* text = nullptr;
        plist_get_key_val(node, &text);
        std::string s = text ? text : "";
        std::free(text);
        return Value(std::move(s));
    }
    case PLIST_ARRAY: {
        // Walked with the library's iterator: reaching an item by its index walks the
        // items before it, and a long list read so would take hours.
        Array items;
        items.reserve(plist_array_get_size(node));
        plist_array_iter it = nullptr;
        plist_array_new_iter(node, &it);
        for (;;) {
            plist_t child = nullptr;
            plist_array_next_item(node, it, &child);
            if (!child) break;
            auto item = fromNode(child, depth + 1);
            if (!item) {
                std::free(it);
                return std::nullopt;
            }
            items.push_back(std::move(*item));
        }
        std::free(it);
        return Value(std::move(items));
    }
    case PLIST_DICT: {
        std::vector<Dictionary::Entry> entries;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t child = nullptr;
            plist_dict_next_item(node, it, &key, &child);
            if (!child) {
                std::free(key);
                break;
            }
            auto item = fromNode(child, depth + 1);
            std::string k = key ? key : "";
            std::free(key);
            if (!item) {
                std::free(it);
                return std::nullopt;
            }
            entries.emplace_back(std::move(k), std::move(*item));
        }
        std::free(it);
        return Value(Dictionary(std::move(entries)));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return Value(Date(kReferenceDate + std::chrono::seconds(sec) + std::chrono::microseconds(usec)));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        auto* first = reinterpret_cast<const std::uint8_t*>(bytes);
        return Value(bytes ? Bytes(first, first + length) : Bytes());
    }
    case PLIST_UID: {
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        return Value(Opaque{"uid", std::to_string(uid)});
    }
    default:
        return std::nullopt;
    }
}

plist_t toNode(const Value& value, int depth) {
    if (depth > kMaxDepth) return nullptr;
    switch (value.type()) {
    case Value::Type::Null:
        return nullptr;
    case Value::Type::Number: {
        const Number& n = *value.number();
        if (n.isBool()) return plist_new_bool(n.asBool() ? 1 : 0);
        switch (n.kind()) {
        case Number::Kind::Int: return plist_new_uint(static_cast<uint64_t>(n.intValue()));
        case Number::Kind::UInt: return plist_new_uint(n.uintValue());
        case Number::Kind::Double: return plist_new_real(n.doubleValue());
        }
        return nullptr;
    }
    case Value::Type::String:
        return plist_new_string(value.string()->c_str());
    case Value::Type::Opaque: {
        const Opaque& opaque = *value.opaque();
        if (opaque.typeName == "uid") {
            std::uint64_t uid = 0;
            const char* end = opaque.description.data() + opaque.description.size();
            if (auto [at, error] = std::from_chars(opaque.description.data(), end, uid); error == std::errc() && at == end)
                return plist_new_uid(uid);
        }
        return plist_new_string(opaque.description.c_str());
    }
    case Value::Type::Data: {
        const Bytes& bytes = *value.data();
        return plist_new_data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    case Value::Type::Date: {
        // Seconds rounded down, so the microseconds stay in 0...999999 before 2001 too.
        auto since = value.date()->time_since_epoch() - kReferenceDate;
        auto seconds = std::chrono::floor<std::chrono::seconds>(since);
        if (seconds.count() < std::numeric_limits<int32_t>::min() ||
            seconds.count() > std::numeric_limits<int32_t>::max())
            return nullptr;
        return plist_new_date(static_cast<int32_t>(seconds.count()),
                              static_cast<int32_t>((since - seconds).count()));
    }
    case Value::Type::Array: {
        plist_t array = plist_new_array();
        for (const auto& item : *value.array()) {
            plist_t child = toNode(item, depth + 1);
            if (!child) {
                plist_free(array);
                return nullptr;
            }
            plist_array_append_item(array, child);
        }
        return array;
    }
    case Value::Type::Dictionary: {
        plist_t dict = plist_new_dict();
        for (const auto& [key, item] : *value.dictionary()) {
            plist_t child = toNode(item, depth + 1);
            if (!child) {
                plist_free(dict);
                return nullptr;
            }
            plist_dict_set_item(dict, key.c_str(), child);
        }
        return dict;
    }
    }
    return nullptr;
}

}  // namespace

PropertyListRead readPropertyListFully(std::string_view bytes) {
    auto refused = [](PropertyListRefusal why) { return PropertyListRead{std::nullopt, why}; };
    if (bytes.empty()) return refused(PropertyListRefusal::notAPropertyList);
    if (bytes.size() > maxPropertyListBytes) return refused(PropertyListRefusal::pastBounds);
    switch (screenPropertyListBytes(bytes, kMaxDepth, std::max<std::uint64_t>(kLeastMaxValues, bytes.size()))) {
    case Screening::acceptable: break;
    case Screening::damaged: return refused(PropertyListRefusal::notAPropertyList);
    case Screening::pastBounds: return refused(PropertyListRefusal::pastBounds);
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    std::optional<Value> value = fromNode(root, 0);
    if (!value) return refused(PropertyListRefusal::notAPropertyList);
    return {std::move(value), std::nullopt};
}

std::optional<Value> readPropertyList(std::string_view bytes) { return readPropertyListFully(bytes).value; }

namespace {

// The value in one of the library's forms: `write` and `release` are its writer and the
// function freeing what that gives.
std::optional<std::string> writePropertyList(const Value& value, void (*write)(plist_t, char**, uint32_t*),
                                             void (*release)(char*)) {
    PlistPtr root(toNode(value, 0));
    if (!root) return std::nullopt;
    char* bytes = nullptr;
    uint32_t length = 0;
    write(static_cast<plist_t>(root.get()), &bytes, &length);
    if (!bytes) return std::nullopt;
    std::string out(bytes, length);
    release(bytes);
    return out;
}

}  // namespace

std::optional<std::string> writePropertyListXml(const Value& value) {
    return writePropertyList(value, plist_to_xml, plist_to_xml_free);
}

std::optional<std::string> writePropertyListBinary(const Value& value) {
    return writePropertyList(value, plist_to_bin, plist_to_bin_free);
}

}  // namespace platform
