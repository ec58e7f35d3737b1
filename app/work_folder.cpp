#include "work_folder.hpp"

#include <system_error>

WorkFolder::WorkFolder(const std::filesystem::path& out, const char* name)
    : path_(std::filesystem::absolute(out / name)) {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_, ec);
}

WorkFolder::~WorkFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}
