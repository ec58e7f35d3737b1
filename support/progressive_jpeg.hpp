#pragma once
// Progressive JPEG files of any size for the tests, benchmarks and demo, made with
// libturbojpeg: a progressive file is decoded in passes over the whole picture, so its
// decoder keeps every coefficient until the last pass, whatever size it decodes at.
#include <turbojpeg.h>

#include <string>
#include <vector>

namespace imagetest {

// Gradients across and down with a fine pattern, so that every block has detail.
inline std::string progressiveJpeg(int width, int height, int quality = 90) {
    std::vector<unsigned char> rgb(std::size_t(width) * std::size_t(height) * 3);
    for (std::size_t y = 0; y < std::size_t(height); ++y) {
        unsigned char* row = &rgb[y * std::size_t(width) * 3];
        for (std::size_t x = 0; x < std::size_t(width); ++x) {
            row[x * 3] = static_cast<unsigned char>(x * 255 / std::size_t(width));
            row[x * 3 + 1] = static_cast<unsigned char>(y * 255 / std::size_t(height));
            row[x * 3 + 2] = static_cast<unsigned char>(((x / 7) ^ (y / 5)) * 13);
        }
    }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    std::string bytes;
    if (handle && tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, quality,
                              TJFLAG_PROGRESSIVE) == 0)
        bytes.assign(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    if (handle) tjDestroy(handle);
    return bytes;
}

}  // namespace imagetest
