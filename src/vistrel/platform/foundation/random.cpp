#include "vistrel/platform/foundation/random.hpp"

#include <sys/random.h>
#include <uuid/uuid.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

void randomBytes(void* buffer, std::size_t size) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        ssize_t n = getrandom(out, size, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            // Without the kernel's source there is nothing safe to hand out.
            std::abort();
        }
        out += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::uint64_t randomUniform(std::uint64_t upperBound) {
    if (upperBound < 2) return 0;
    // Reject the top partial range so every residue is equally likely.
    const std::uint64_t limit = UINT64_MAX - (UINT64_MAX % upperBound);
    std::uint64_t x;
    do {
        randomBytes(&x, sizeof x);
    } while (x >= limit);
    return x % upperBound;
}

std::string makeUuidString() {
    uuid_t id;
    uuid_generate_random(id);
    char text[37];
    uuid_unparse_upper(id, text);
    return std::string(text, 36);
}

}  // namespace platform
