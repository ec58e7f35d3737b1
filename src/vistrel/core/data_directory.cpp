#include "vistrel/core/data_directory.hpp"

#include <cstdlib>

namespace vistrel {

std::filesystem::path dataDirectory() {
    if (const char* home = std::getenv("VISTREL_HOME"); home && *home) return home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "vistrel";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local/share/vistrel";
    return std::filesystem::temp_directory_path() / "vistrel";
}

}  // namespace vistrel
