#include "vistrel/core/picture_file_name.hpp"

#include "vistrel/core/plain_name.hpp"
#include "vistrel/platform/foundation/digest.hpp"

namespace vistrel {

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
