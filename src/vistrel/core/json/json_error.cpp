#include "vistrel/core/json/json_error.hpp"

#include "vistrel/platform/foundation/concatenate.hpp"

namespace vistrel {

JSONError makeJSONError(int code, std::string description) {
    return JSONError{std::string(ErrorDomain), code, std::move(description)};
}

JSONError unsupportedTypeError() {
    return makeJSONError(ErrorUnsupportedType, "It is a unsupported type");
}

JSONError indexOutOfBoundsError(std::int64_t index) {
    return makeJSONError(ErrorIndexOutOfBounds,
                         platform::concatenate("Array[", std::to_string(index), "] is out of bounds"));
}

JSONError notAnArrayError(std::int64_t index) {
    return makeJSONError(ErrorWrongType,
                         platform::concatenate("Array[", std::to_string(index), "] failure, It is not an array"));
}

JSONError notADictionaryError(std::string_view key) {
    return makeJSONError(ErrorWrongType,
                         platform::concatenate("Dictionary[\"", key, "\"] failure, It is not an dictionary"));
}

JSONError notExistError(std::string_view key) {
    return makeJSONError(ErrorNotExist, platform::concatenate("Dictionary[\"", key, "\"] does not exist"));
}

JSONError mergeTypeMismatchError() {
    return makeJSONError(ErrorWrongType,
                         "Couldn't merge, because the JSONs differ in type on top level.");
}

JSONError invalidJSONError() { return makeJSONError(ErrorInvalidJSON, "JSON is invalid"); }

JSONError elementTooDeepError() {
    return makeJSONError(
        ErrorInvalidJSON,
        "Element too deep. Increase maxObjectDepth and make sure there is no reference loop");
}

JSONError nestedJSONError() {
    return makeJSONError(ErrorInvalidJSON, "Could not serialize nested JSON");
}

}  // namespace vistrel
