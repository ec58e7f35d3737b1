#pragma once
// JPEG files of any size for the tests, benchmarks and demo, made with libturbojpeg and
// libjpeg: progressive ones, decoded in passes over the whole picture, so that their
// decoder keeps every coefficient until the last pass, whatever size it decodes at; a
// camera's baseline photo, decoded a band of rows at a time; and CMYK ones, as print
// work and Photoshop write them.
#include <jpeglib.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace imagetest {

// Gradients across and down with a fine pattern, so that every block has detail; colours
// sampled at half size across and down, as cameras write them.
inline std::string detailedJpeg(int width, int height, int quality, bool progressive) {
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
                              progressive ? TJFLAG_PROGRESSIVE : 0) == 0)
        bytes.assign(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    if (handle) tjDestroy(handle);
    return bytes;
}

inline std::string progressiveJpeg(int width, int height, int quality = 90) {
    return detailedJpeg(width, height, quality, true);
}

inline std::string baselineJpeg(int width, int height, int quality = 90) {
    return detailedJpeg(width, height, quality, false);
}

// The inks of one pixel, 0 (none) to 255 (full).
struct Inks {
    std::uint8_t c, m, y, k;
};

enum class CmykForm {
    adobeInverted,       // CMYK stored inverted, with Adobe's marker, as Photoshop writes it
    adobeInvertedYcck,   // the same turned into YCCK by the encoder
    plain,               // CMYK stored as the inks are, without Adobe's marker
};

// A CMYK JPEG of `width` x `height` pixels, `inks(x, y)` each, written by libjpeg at full
// size in every component.
template <class InksAt>
std::string cmykJpeg(int width, int height, CmykForm form, InksAt inks, int quality = 95) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, form == CmykForm::adobeInvertedYcck ? JCS_YCCK : JCS_CMYK);
    if (form == CmykForm::plain) info.write_Adobe_marker = FALSE;
    for (int i = 0; i < info.num_components; ++i) info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * 4);
    const bool inverted = form != CmykForm::plain;
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            const Inks pixel = inks(x, static_cast<int>(info.next_scanline));
            const std::uint8_t values[4] = {pixel.c, pixel.m, pixel.y, pixel.k};
            for (std::size_t i = 0; i < 4; ++i)
                row[std::size_t(x) * 4 + i] = static_cast<JSAMPLE>(inverted ? 255 - values[i] : values[i]);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

}  // namespace imagetest
