#include "vistrel/platform/foundation/error.hpp"

namespace platform {

std::string Error::description() const {
    std::string text = "Error Domain=";
    text += domain;
    text += " Code=";
    text += std::to_string(code);
    if (!userInfo.empty()) {
        text += " UserInfo={";
        bool first = true;
        for (const auto& [key, value] : userInfo) {
            if (!first) text += ", ";
            first = false;
            text += key;
            text += '=';
            text += value;
        }
        text += '}';
    }
    return text;
}

}  // namespace platform
