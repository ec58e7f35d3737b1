#include "vistrel/platform/graphics/text_case.hpp"

#include <glib.h>

#include <algorithm>
#include <cctype>

namespace platform::graphics {

std::string uppercased(std::string_view utf8) {
    if (!g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), nullptr)) {
        std::string ascii(utf8);
        std::transform(ascii.begin(), ascii.end(), ascii.begin(),
                       [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::toupper(c)) : static_cast<char>(c); });
        return ascii;
    }
    gchar* upper = g_utf8_strup(utf8.data(), static_cast<gssize>(utf8.size()));
    std::string result = upper ? upper : "";
    g_free(upper);
    return result;
}

}  // namespace platform::graphics
