#include "vistrel/platform/graphics/picture_ends.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

namespace platform::graphics {

bool endsAsAWholePicture(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    std::array<char, wholePictureHeadBytes> head{};
    std::array<char, wholePictureTailBytes> tail{};
    bool read = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    const auto size = read ? static_cast<std::size_t>(st.st_size) : 0;
    const std::size_t headBytes = std::min(head.size(), size), tailBytes = std::min(tail.size(), size);
    read = read && ::pread(fd, head.data(), headBytes, 0) == static_cast<ssize_t>(headBytes) &&
           ::pread(fd, tail.data(), tailBytes, static_cast<off_t>(size - tailBytes)) == static_cast<ssize_t>(tailBytes);
    ::close(fd);
    return read && startsAndEndsWhole({head.data(), headBytes}, {tail.data(), tailBytes}, size);
}

}  // namespace platform::graphics
