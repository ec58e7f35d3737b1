#pragma once
// The name a photo is set aside under until the record of its replacement is saved,
// "<name>.jpg.aside-<number>-<seconds>.<nanoseconds>", which carries the photo's own
// modification time: given by the one rename that sets it aside, it cannot be lost, as a
// time of the file would be (the file's modification time marks it as just changed
// meanwhile, and any read replaces its access time). An earlier version kept that time in
// the access time of "<name>.jpg.aside-<number>", which is still read so.
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

namespace vistrel {

inline constexpr std::string_view kSetAsidePhotoMark = ".aside-";

// A new name beside the photo to set it aside under, keeping `modified`.
std::filesystem::path setAsidePathFor(const std::filesystem::path& photo, const std::timespec& modified);

struct SetAsideName {
    std::string_view target;                // the name it was set aside from
    std::optional<std::timespec> modified;  // none: an earlier version's, kept as its access time
};

// What a name of either form tells; none for any other name.
std::optional<SetAsideName> readSetAsideName(std::string_view name);

// Gives the photo set aside at `aside` its own modification time again (its access time is
// left as it is). Its bytes matter more than its times: when the time cannot be set, a
// line says so and the photo takes its name again all the same.
void restoreSetAsideTime(const std::filesystem::path& aside, const std::timespec& modified);

}  // namespace vistrel
