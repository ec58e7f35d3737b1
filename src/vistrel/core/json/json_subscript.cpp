// Path subscripts: reading and writing along paths of indexes and keys.
#include "vistrel/core/json/json.hpp"

namespace vistrel {

JSON JSON::readIndex(std::ptrdiff_t index) const {
    if (type_ != Type::array) return error_ ? withError(error_) : withError(notAnArrayError(index));
    const platform::Array& elements = *object_.array();
    if (index >= 0 && static_cast<std::size_t>(index) < elements.size())
        return JSON(elements[static_cast<std::size_t>(index)]);
    return withError(indexOutOfBoundsError(index));
}

JSON JSON::readKey(const std::string& key) const {
    if (type_ != Type::dictionary) return error_ ? withError(error_) : withError(notADictionaryError(key));
    if (const platform::Value* member = object_.dictionary()->find(key)) return JSON(*member);
    return withError(notExistError(key));
}

JSON JSON::readStep(const JSONKey& step) const {
    return step.kind() == JSONKey::Case::index ? readIndex(step.indexValue())
                                               : readKey(step.keyValue());
}

// The single step: only into an array in range or an object, and only a value that
// carries no error.
void JSON::writeStep(const JSONKey& step, const JSON& newValue) {
    if (newValue.error_) return;
    if (step.kind() == JSONKey::Case::index) {
        std::ptrdiff_t i = step.indexValue();
        if (type_ != Type::array || i < 0 || static_cast<std::size_t>(i) >= object_.array()->size())
            return;
        (*object_.mutableArray())[static_cast<std::size_t>(i)] = newValue.object();
    } else if (type_ == Type::dictionary) {
        object_.mutableDictionary()->set(step.keyValue(), newValue.object());
    }
}

// The same fold as reading step by step, without making a value at each step: the
// walk follows raw values and wraps only the one at the end, or the first error.
JSON JSON::readPath(const JSONKey* steps, std::size_t count) const {
    if (count == 0) return *this;
    // A receiver that is no container fails at the first step, and every later step
    // passes that error on.
    if (type_ != Type::array && type_ != Type::dictionary) return readStep(steps[0]);
    const platform::Value* current = &object_;
    for (std::size_t i = 0; i < count; ++i) {
        const JSONKey& step = steps[i];
        const bool byIndex = step.kind() == JSONKey::Case::index;
        if (const platform::Array* elements = current->array()) {
            if (!byIndex) return withError(notADictionaryError(step.keyValue()));
            std::ptrdiff_t index = step.indexValue();
            if (index < 0 || static_cast<std::size_t>(index) >= elements->size())
                return withError(indexOutOfBoundsError(index));
            current = &(*elements)[static_cast<std::size_t>(index)];
        } else if (const platform::Dictionary* members = current->dictionary()) {
            if (byIndex) return withError(notAnArrayError(step.indexValue()));
            current = members->find(step.keyValue());
            if (!current) return withError(notExistError(step.keyValue()));
        } else if (!current->isJsonKind()) {
            return withError(unsupportedTypeError());  // what a value of kind unknown carries
        } else {
            return byIndex ? withError(notAnArrayError(step.indexValue()))
                           : withError(notADictionaryError(step.keyValue()));
        }
    }
    return JSON(*current);
}

void JSON::writePath(const JSONKey* steps, std::size_t count, const JSON& newValue) {
    if (count == 0) return;
    if (count == 1) {
        // The last step stores the new value's object, also when the value carries an
        // error (its object is then null).
        JSON stored;
        stored.setObject(newValue.object());
        writeStep(steps[0], stored);
        return;
    }
    JSON inner = readStep(steps[0]);
    inner.writePath(steps + 1, count - 1, newValue);
    writeStep(steps[0], inner);
}

JSON JSON::operator[](const JSONKey& step) const { return readStep(step); }

JSON JSON::operator[](std::initializer_list<JSONKey> path) const {
    return readPath(path.begin(), path.size());
}

JSON JSON::operator[](const std::vector<JSONKey>& path) const {
    return readPath(path.data(), path.size());
}

void JSON::set(const JSONKey& step, const JSON& newValue) { writePath(&step, 1, newValue); }

void JSON::set(std::initializer_list<JSONKey> path, const JSON& newValue) {
    writePath(path.begin(), path.size(), newValue);
}

void JSON::set(const std::vector<JSONKey>& path, const JSON& newValue) {
    writePath(path.data(), path.size(), newValue);
}

}  // namespace vistrel
