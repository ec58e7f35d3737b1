#include "vistrel/platform/services/compose_text.hpp"

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/control_characters.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace platform::services {

std::string withoutControlCharactersButLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\r' || c == '\n') out.push_back(c);
    return out;
}

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
