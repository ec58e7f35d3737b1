#pragma once
#include <cctype>
#include <string_view>

namespace testsupport {

// True for the upper-case 36-character form of a version 4 UUID.
inline bool isUpperCaseUuidV4(std::string_view t) {
    if (t.size() != 36) return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (t[i] == '-')) return false;
        if (!dash && !(std::isdigit(static_cast<unsigned char>(t[i])) || (t[i] >= 'A' && t[i] <= 'F'))) return false;
    }
    return t[14] == '4' && (t[19] == '8' || t[19] == '9' || t[19] == 'A' || t[19] == 'B');
}

}  // namespace testsupport
