#include "vistrel/core/string_extras.hpp"

#include "vistrel/core/vistrel_bundle.hpp"
#include "vistrel/platform/foundation/random.hpp"

namespace vistrel {

namespace {
constexpr std::string_view kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
}  // namespace

std::string localizedString(std::string_view key) { return tr(key); }

std::string random(int length) {
    std::string result;
    if (length <= 0) return result;
    result.reserve(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) result += kAlphabet[platform::randomUniform(kAlphabet.size())];
    return result;
}

}  // namespace vistrel
