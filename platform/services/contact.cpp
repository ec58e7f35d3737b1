#include "platform/services/contact.hpp"

namespace platform::services {

std::string displayName(const Contact& contact) {
    std::string out;
    for (const std::string* piece : {&contact.namePrefix, &contact.givenName, &contact.middleName,
                                     &contact.familyName, &contact.nameSuffix}) {
        if (piece->empty()) continue;
        if (!out.empty()) out.push_back(' ');
        out.append(*piece);
    }
    return out.empty() ? contact.organizationName : out;
}

}  // namespace platform::services
