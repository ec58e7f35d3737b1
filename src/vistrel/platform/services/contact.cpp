#include "vistrel/platform/services/contact.hpp"

namespace platform::services {

std::string displayName(const Contact& contact) {
    std::string out;
    for (const std::string* text : {&contact.namePrefix, &contact.givenName, &contact.middleName,
                                     &contact.familyName, &contact.nameSuffix}) {
        if (text->empty()) continue;
        if (!out.empty()) out.push_back(' ');
        out.append(*text);
    }
    return out.empty() ? contact.organizationName : out;
}

}  // namespace platform::services
