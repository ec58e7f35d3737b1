#include "vistrel/store/set_aside_photo.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdint>
#include <string>

#include "vistrel/platform/foundation/concatenate.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"

namespace vistrel {

namespace {

constexpr std::size_t kNanosecondDigits = 9;

// The number `text` is wholly made of (an optional minus sign, then decimal digits).
template <class Number>
std::optional<Number> wholeNumber(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return number;
}

}  // namespace

std::filesystem::path setAsidePathFor(const std::filesystem::path& photo, const std::timespec& modified) {
    std::string nanoseconds = std::to_string(modified.tv_nsec);
    nanoseconds.insert(0, kNanosecondDigits - std::min(kNanosecondDigits, nanoseconds.size()), '0');
    std::filesystem::path aside = platform::temporaryPathFor(photo, kSetAsidePhotoMark);
    aside += platform::concatenate("-", std::to_string(modified.tv_sec), ".", nanoseconds);
    return aside;
}

std::optional<SetAsideName> readSetAsideName(std::string_view name) {
    // An earlier version's: the mark and a number alone.
    if (const auto target = platform::temporaryTargetOf(name, kSetAsidePhotoMark)) return SetAsideName{*target, {}};
    // "<number>-<seconds>.<nanoseconds>" after the mark; the seconds may be negative.
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot - 1 != kNanosecondDigits) return std::nullopt;
    const auto mark = name.rfind(kSetAsidePhotoMark, dot);
    if (mark == std::string_view::npos) return std::nullopt;
    const auto dash = name.find('-', mark + kSetAsidePhotoMark.size());
    if (dash == std::string_view::npos || dash > dot) return std::nullopt;
    const auto target = platform::temporaryTargetOf(name.substr(0, dash), kSetAsidePhotoMark);
    const auto seconds = wholeNumber<std::int64_t>(name.substr(dash + 1, dot - dash - 1));
    const auto nanoseconds = wholeNumber<long>(name.substr(dot + 1));
    if (!target || !seconds || !nanoseconds || *nanoseconds < 0) return std::nullopt;
    std::timespec modified{};
    modified.tv_sec = static_cast<std::time_t>(*seconds);
    modified.tv_nsec = *nanoseconds;
    if (modified.tv_sec != *seconds) return std::nullopt;
    return SetAsideName{*target, modified};
}

void restoreSetAsideTime(const std::filesystem::path& aside, const std::timespec& modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    if (::utimensat(AT_FDCWD, aside.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0) return;
    platform::log(platform::escapeControlCharacters(
        platform::concatenate("store :: the times of the photo set aside as ", aside.string(),
                              " could not be set back; it takes its name again with the times it has")));
}

}  // namespace vistrel
