#include "vistrel/platform/foundation/digest.hpp"

#include <openssl/evp.h>

namespace platform {

namespace {
constexpr char kHex[] = "0123456789abcdef";
}  // namespace

std::string sha256Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
    std::string text;
    text.reserve(size * 2);
    for (unsigned int i = 0; i < size; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0xF];
    }
    return text;
}

std::string fnv1a128Hex(std::string_view bytes) {
    using Word = unsigned __int128;
    constexpr Word kPrime = (Word(1) << 88) + 0x13B;
    Word hash = (Word(0x6c62272e07bb0142ULL) << 64) | 0x62b821756295c58dULL;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kPrime;
    }
    std::string text(32, '0');
    for (int i = 31; i >= 0; --i, hash >>= 4) text[static_cast<std::size_t>(i)] = kHex[static_cast<unsigned>(hash & 0xF)];
    return text;
}

}  // namespace platform
