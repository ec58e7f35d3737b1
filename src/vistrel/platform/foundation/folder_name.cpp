#include "vistrel/platform/foundation/folder_name.hpp"

#include "vistrel/platform/foundation/digest.hpp"

namespace platform {

namespace {
// Room for the form in a name of 255 bytes, with a mark of a few dozen bytes before it.
constexpr std::size_t kLongestForm = 200;
constexpr std::size_t kDigestDigits = 16;
}  // namespace

std::string folderNameFor(std::string_view name) {
    if (name.empty()) return "%";
    std::string form;
    form.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        // Each escape is '%' and two hexadecimal digits: no form of a short name holds
        // "%~", nor a '%' alone.
        switch (name[i]) {
            case '%': form += "%25"; break;
            case '/': form += "%2F"; break;
            case '\0': form += "%00"; break;
            case '.':
                if (i == 0) {
                    form += "%2E";
                    break;
                }
                [[fallthrough]];
            default: form += name[i];
        }
    }
    if (form.size() <= kLongestForm) return form;
    std::size_t cut = kLongestForm - 2 - kDigestDigits;
    while (cut > 0 && (static_cast<unsigned char>(form[cut]) & 0xC0) == 0x80) --cut;
    form.resize(cut);
    form += "%~";
    form += sha256Hex(name).substr(0, kDigestDigits);
    return form;
}

}  // namespace platform
