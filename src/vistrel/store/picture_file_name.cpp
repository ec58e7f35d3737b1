#include "vistrel/store/picture_file_name.hpp"

#include <algorithm>

#include "vistrel/platform/foundation/digest.hpp"

namespace vistrel {

namespace {

bool isPlainName(std::string_view identifier) {
    if (identifier.empty() || identifier.size() > 100) return false;
    return std::all_of(identifier.begin(), identifier.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    });
}

}  // namespace

std::string pictureFileName(std::string_view identifier) {
    std::string name;
    if (isPlainName(identifier)) {
        name = identifier;
    } else {
        // The dot keeps digest names apart from every plain name.
        name = "sha256.";
        name += platform::sha256Hex(identifier);
    }
    name += ".jpg";
    return name;
}

}  // namespace vistrel
