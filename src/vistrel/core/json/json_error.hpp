#pragma once
// The errors of JSON values: one domain, five codes, one description each.
#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

inline constexpr std::string_view ErrorDomain = "PliantJSONErrorDomain";
inline constexpr int ErrorUnsupportedType = 999;
inline constexpr int ErrorIndexOutOfBounds = 900;
inline constexpr int ErrorWrongType = 901;
inline constexpr int ErrorNotExist = 500;
inline constexpr int ErrorInvalidJSON = 490;

struct JSONError {
    std::string domain;
    int code = 0;
    std::string localizedDescription;

    friend bool operator==(const JSONError&, const JSONError&) = default;
};

// An error in the JSON domain.
JSONError makeJSONError(int code, std::string description);

// The errors with their fixed texts.
JSONError unsupportedTypeError();
JSONError indexOutOfBoundsError(std::int64_t index);
JSONError notAnArrayError(std::int64_t index);
JSONError notADictionaryError(std::string_view key);
JSONError notExistError(std::string_view key);
JSONError mergeTypeMismatchError();
JSONError invalidJSONError();
JSONError elementTooDeepError();
JSONError nestedJSONError();

}  // namespace vistrel
