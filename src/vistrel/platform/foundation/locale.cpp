#include "vistrel/platform/foundation/locale.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace platform {

namespace {
std::mutex gMutex;
std::optional<std::vector<std::string>> gOverride;

std::string normalise(std::string tag) {
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

bool sameTag(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i] == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(a[i])));
        char y = b[i] == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(b[i])));
        if (x != y) return false;
    }
    return true;
}
}  // namespace

std::string languageTagFromLocaleName(std::string_view name) {
    auto cut = name.find_first_of(".@");
    if (cut != std::string_view::npos) name = name.substr(0, cut);
    if (name.empty() || name == "C" || name == "POSIX") return "";
    return normalise(std::string(name));
}

std::vector<std::string> preferredLanguages() {
    {
        std::lock_guard lock(gMutex);
        if (gOverride) return *gOverride;
    }
    std::vector<std::string> out;
    auto add = [&](std::string_view name) {
        std::string tag = languageTagFromLocaleName(name);
        if (!tag.empty() && std::find(out.begin(), out.end(), tag) == out.end()) out.push_back(tag);
    };
    if (const char* language = std::getenv("LANGUAGE"); language && *language) {
        std::string_view list(language);
        while (!list.empty()) {
            auto colon = list.find(':');
            add(list.substr(0, colon));
            if (colon == std::string_view::npos) break;
            list.remove_prefix(colon + 1);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value && *value) {
            add(value);
            break;
        }
    }
    if (out.empty()) out.push_back("en");
    return out;
}

void setPreferredLanguages(std::optional<std::vector<std::string>> languages) {
    std::lock_guard lock(gMutex);
    gOverride = std::move(languages);
}

std::optional<std::string> bestLocalization(const std::vector<std::string>& available,
                                            const std::vector<std::string>& preferred) {
    for (const auto& want : preferred) {
        for (const auto& have : available)
            if (sameTag(have, want)) return have;
        std::string_view language = want;
        if (auto dash = language.find_first_of("-_"); dash != std::string_view::npos) {
            language = language.substr(0, dash);
            for (const auto& have : available)
                if (sameTag(have, language)) return have;
        }
    }
    return std::nullopt;
}

}  // namespace platform
