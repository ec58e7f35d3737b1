#pragma once
// Real PNG, JPEG and GIF bytes made with the codec libraries themselves.
#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace imagetest {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// A picture as straight RGBA rows.
struct Picture {
    int width = 0, height = 0;
    std::vector<Rgba> pixels;
    Picture(int w, int h, Rgba fill) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Rgba& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
};

inline std::string encodePng(const Picture& picture) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> source;
    for (const Rgba& p : picture.pixels) source.insert(source.end(), {p.r, p.g, p.b, p.a});
    const void* buffer = source.data();
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, buffer, 0, nullptr);
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, buffer, 0, nullptr)) return {};
    out.resize(size);
    return out;
}

inline std::string encodeJpeg(const Picture& picture, int quality = 95) {
    tjhandle handle = tjInitCompress();
    std::vector<std::uint8_t> rgb;
    for (const Rgba& p : picture.pixels) rgb.insert(rgb.end(), {p.r, p.g, p.b});
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), picture.width, 0, picture.height, TJPF_RGB, &jpeg, &size, TJSAMP_444, quality, 0);
    std::string out(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

// One frame of a GIF: indices into the shared palette over a rectangle of the screen.
struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices;
    int delayHundredths = 0;
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparentIndex = NO_TRANSPARENT_COLOR;
};

inline int appendToString(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), std::size_t(count));
    return count;
}

inline ColorMapObject* makeColorMap(const std::vector<Rgba>& palette) {
    GifColorType colors[4] = {};
    for (std::size_t i = 0; i < palette.size() && i < 4; ++i) colors[i] = {palette[i].r, palette[i].g, palette[i].b};
    return GifMakeMapObject(4, colors);
}

// A GIF89a of the given screen size, palette (up to 4 colours; none when empty) and
// frames; frame i has a palette of its own when localPalettes[i] is not empty.
inline std::string encodeGif(int width, int height, const std::vector<Rgba>& palette,
                             const std::vector<GifFrame>& frames,
                             const std::vector<std::vector<Rgba>>& localPalettes = {}) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendToString, &error);
    ColorMapObject* map = palette.empty() ? nullptr : makeColorMap(palette);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, width, height, 2, 0, map);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const GifFrame& frame = frames[i];
        GraphicsControlBlock control{frame.disposal, false, frame.delayHundredths, frame.transparentIndex};
        GifByteType extension[4];
        size_t length = EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
        ColorMapObject* local =
            i < localPalettes.size() && !localPalettes[i].empty() ? makeColorMap(localPalettes[i]) : nullptr;
        if (!local && gif->Image.ColorMap) {
            // giflib forgets the previous frame's palette copy when a frame has none.
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, local);
        GifFreeMapObject(local);
        std::vector<GifPixelType> row(std::size_t(frame.width));
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) row[std::size_t(x)] = frame.indices[std::size_t(y) * frame.width + x];
            EGifPutLine(gif, row.data(), frame.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

}  // namespace imagetest
