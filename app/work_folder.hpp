#pragma once
// A folder a step of the demo works in, inside the output folder: made empty (whatever a
// run stopped before left there removed), and removed with all it holds as the step ends.
#include <filesystem>

class WorkFolder {
public:
    WorkFolder(const std::filesystem::path& out, const char* name);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Its absolute path.
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
