#pragma once
// Runs stopped dead, for the tests and the demo: this very program run again as a child
// (which stops itself where it is told), and a folder made to look as the next launch,
// an hour later, finds what the stopped run left.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

// Runs this program with the arguments (after its own name) and the environment variables
// ("NAME=value") added to this process's, its standard output (and its errors, with
// `errorsToo`) into `output`. Gives its wait status, or -1 when it could not start.
inline int runThisProgram(std::vector<std::string> arguments, std::vector<std::string> variables,
                          const std::filesystem::path& output, bool errorsToo) {
    arguments.insert(arguments.begin(), "/proc/self/exe");
    std::vector<char*> argv, environment;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    for (char** variable = environ; *variable; ++variable) environment.push_back(*variable);
    for (auto& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errorsToo) posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// What a new launch an hour later finds: every entry of the folder changed since is an
// hour older (its modification time; the access time, in which a photo set aside keeps
// its own time, is left alone).
inline void ageByAnHour(const std::filesystem::path& folder) {
    const time_t anHourAgo = ::time(nullptr) - 3600;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        struct stat st {};
        if (::lstat(entry.path().c_str(), &st) != 0 || st.st_mtim.tv_sec <= anHourAgo) continue;
        const timespec times[2] = {{0, UTIME_OMIT}, {anHourAgo, 0}};
        ::utimensat(AT_FDCWD, entry.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
}

}  // namespace testsupport
