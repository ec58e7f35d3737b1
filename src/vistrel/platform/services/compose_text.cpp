#include "vistrel/platform/services/compose_text.hpp"

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::services {

std::vector<std::string> recipientsWithoutControlCharacters(std::vector<std::string> recipients,
                                                            std::string_view owner) {
    std::erase_if(recipients, [&](const std::string& recipient) {
        if (!holdsControlCharacter(recipient)) return false;
        log(concatenate(owner, " :: dropped a recipient holding a control character: ",
                        escapeControlCharacters(recipient)));
        return true;
    });
    return recipients;
}

}  // namespace platform::services
