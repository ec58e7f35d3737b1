#pragma once
// The bytes of the copies of a file that were set aside beside it ("<name>.damaged-..."),
// sorted, whatever order their names came in.
#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/foundation/file_io.hpp"

namespace testsupport {

inline std::vector<std::string> setAsideCopies(const std::filesystem::path& folder, std::string_view name) {
    const std::string prefix = std::string(name) + ".damaged-";
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().native().starts_with(prefix))
            copies.push_back(platform::readFile(entry.path(), 64u << 20).value_or("(unreadable)"));
    std::sort(copies.begin(), copies.end());
    return copies;
}

}  // namespace testsupport
