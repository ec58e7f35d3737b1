#include "vistrel/platform/store/managed_object.hpp"

#include <algorithm>
#include <cassert>
#include <map>
#include <mutex>

#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"
#include "vistrel/platform/store/object_class_registry.hpp"
#include "vistrel/platform/store/persistent_store_coordinator.hpp"

namespace platform::store {

namespace {

const AttributeValue kNone{};

bool fits(AttributeType type, const AttributeValue& value) {
    switch (type) {
    case AttributeType::string:
    case AttributeType::binary: return std::holds_alternative<std::string>(value);
    case AttributeType::date: return std::holds_alternative<Date>(value);
    case AttributeType::boolean: return std::holds_alternative<bool>(value);
    }
    return false;
}

std::mutex gClassesMutex;
std::map<std::string, ObjectFactory, std::less<>>& classes() {
    static std::map<std::string, ObjectFactory, std::less<>> registered;
    return registered;
}

}  // namespace

void registerObjectClass(std::string className, ObjectFactory factory) {
    std::lock_guard lock(gClassesMutex);
    classes()[std::move(className)] = std::move(factory);
}

ObjectFactory objectFactory(std::string_view className) {
    {
        std::lock_guard lock(gClassesMutex);
        if (auto found = classes().find(className); found != classes().end()) return found->second;
    }
    return [] { return std::make_shared<ManagedObject>(); };
}

bool ManagedObject::hasChanges() const {
    return isInserted() || deleted_ || std::find(changed_.begin(), changed_.end(), true) != changed_.end();
}

const AttributeValue& ManagedObject::value(std::string_view attribute) const {
    auto index = entity_->indexOfAttribute(attribute);
    if (!index) return kNone;
    if (*index < unread_.size() && unread_[*index]) {
        assert(dispatch::isMainThread() && "the store's objects are used on the main thread only");
        Error error;
        auto read = store_ ? store_->fetchValue(*entity_, rowId_, *index, &error) : std::nullopt;
        if (!read) {
            log(escapeControlCharacters(
                concatenate("store :: a value left in the store cannot be read: ", error.description())));
            return kNone;
        }
        values_[*index] = std::move(*read);
        unread_[*index] = false;
    }
    return values_[*index];
}

std::optional<std::size_t> ManagedObject::valueBytes(std::string_view attribute) const {
    auto index = entity_->indexOfAttribute(attribute);
    if (!index) return std::nullopt;
    if (!(*index < unread_.size() && unread_[*index])) {
        const auto* text = std::get_if<std::string>(&values_[*index]);
        return text ? text->size() : 0;
    }
    assert(dispatch::isMainThread() && "the store's objects are used on the main thread only");
    Error error;
    auto bytes = store_ ? store_->valueBytes(*entity_, rowId_, *index, &error) : std::nullopt;
    if (!bytes)
        log(escapeControlCharacters(
            concatenate("store :: the length of a value left in the store cannot be read: ", error.description())));
    return bytes;
}

bool ManagedObject::isUnread(std::string_view attribute) const {
    auto index = entity_->indexOfAttribute(attribute);
    return index && *index < unread_.size() && unread_[*index];
}

void ManagedObject::setValue(std::string_view attribute, AttributeValue value) {
    auto index = entity_->indexOfAttribute(attribute);
    if (!index || (!std::holds_alternative<std::monostate>(value) && !fits(entity_->attributes[*index].type, value))) {
        std::string line = "store :: no such attribute or a value of another kind: ";
        line += escapeControlCharacters(attribute);
        log(line);
        return;
    }
    values_[*index] = std::move(value);
    if (*index < unread_.size()) unread_[*index] = false;  // what is set is held
    changed_.resize(values_.size());
    changed_[*index] = true;
    if (auto context = context_.lock()) context->objectDidChange(*this);
}

std::optional<std::string> ManagedObject::stringValue(std::string_view attribute) const {
    const auto* text = std::get_if<std::string>(&value(attribute));
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

std::optional<Date> ManagedObject::dateValue(std::string_view attribute) const {
    const auto* date = std::get_if<Date>(&value(attribute));
    return date ? std::optional<Date>(*date) : std::nullopt;
}

bool ManagedObject::boolValue(std::string_view attribute) const {
    const auto* flag = std::get_if<bool>(&value(attribute));
    return flag && *flag;
}

}  // namespace platform::store
