// libpng's row reader with its transformations to 8-bit RGBA (palettes, grey, 16-bit,
// transparency chunks, and gamma to sRGB).
#include "vistrel/platform/graphics/png_fitted_decoding.hpp"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "vistrel/platform/graphics/area_averaging.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"
#include "vistrel/platform/graphics/image_scaling.hpp"

namespace platform::graphics {

namespace {

// The input's bytes, copied out as libpng asks for them.
void readInput(png_structp png, png_bytep out, png_size_t count) {
    if (static_cast<PictureInputReader*>(png_get_io_ptr(png))->read(reinterpret_cast<char*>(out), count) != count)
        png_error(png, "the data is cut short");
}

// Damage is reported by failing; nothing is printed.
void jumpOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignoreWarning(png_structp, png_const_charp) {}

struct ReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStructs() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

// What is read into; called with each row of premultiplied pixels.
struct RowSink {
    virtual void addRow(const std::uint32_t* pixels) = 0;

protected:
    ~RowSink() = default;
};

// libpng reports errors by a long jump back into the function that armed it, so the two
// functions that read hold no object with a destructor.
bool readHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (transparencyChunk) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparencyChunk) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_alpha_mode(png, PNG_ALPHA_PNG, PNG_DEFAULT_sRGB);
    png_read_update_info(png, info);
    return true;
}

bool readRows(png_structp png, png_uint_32 width, png_uint_32 height, png_bytep row, std::uint32_t* pixels,
              RowSink* sink) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        for (png_uint_32 x = 0; x < width; ++x) {
            const png_byte* p = row + std::size_t(x) * 4;
            pixels[x] = premultipliedPixel(p[0], p[1], p[2], p[3]);
        }
        sink->addRow(pixels);
    }
    return true;
}

// Rows kept at full size.
struct FullRows final : RowSink {
    Bitmap& bitmap;
    int y = 0;
    explicit FullRows(Bitmap& target) : bitmap(target) {}
    void addRow(const std::uint32_t* pixels) override {
        std::memcpy(bitmap.data() + std::size_t(y++) * bitmap.width(), pixels, std::size_t(bitmap.stride()));
    }
};

// Rows averaged over the areas of the output's pixels as they come.
struct AveragedRows final : RowSink {
    AreaAverager averager;
    AveragedRows(int width, int height, Bitmap& out) : averager(width, height, out) {}
    void addRow(const std::uint32_t* pixels) override { averager.addRow(pixels); }
};

}  // namespace

std::optional<Bitmap> decodePngFitted(PictureInput& bytes, int width, int height) {
    if (width < 1 || height < 1) return std::nullopt;
    ReadStructs read;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
    if (!read.png) return std::nullopt;
    read.info = png_create_info_struct(read.png);
    if (!read.info) return std::nullopt;
    PictureInputReader input(bytes);
    png_set_read_fn(read.png, &input, readInput);
    png_set_user_limits(read.png, Image::maxDecodedDimension, Image::maxDecodedDimension);
    // Texts are never shown, and a compressed one inflates to as much as libpng takes of a
    // chunk (8 MB) from a few kilobytes, each kept until the decode ends: they are passed
    // over, their bytes only checked.
    static constexpr png_byte kTexts[] = {'t', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0', 'i', 'T', 'X', 't', '\0'};
    png_set_keep_unknown_chunks(read.png, PNG_HANDLE_CHUNK_NEVER, kTexts, sizeof kTexts / 5);
    if (!readHeader(read.png, read.info)) return std::nullopt;
    const png_uint_32 fullWidth = png_get_image_width(read.png, read.info);
    const png_uint_32 fullHeight = png_get_image_height(read.png, read.info);
    if (png_get_interlace_type(read.png, read.info) != PNG_INTERLACE_NONE ||
        !withinDecodingLimits(fullWidth, fullHeight) || png_get_rowbytes(read.png, read.info) != fullWidth * 4)
        return std::nullopt;
    const int w = static_cast<int>(fullWidth), h = static_cast<int>(fullHeight);
    // Read at the size asked for where it is smaller, else at the picture's own size.
    const int readWidth = std::min(w, width), readHeight = std::min(h, height);
    std::optional<Bitmap> picture = Bitmap::make(readWidth, readHeight);
    if (!picture) return std::nullopt;
    try {
        std::vector<png_byte> row(static_cast<std::size_t>(w) * 4);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w));
        if (readWidth == w && readHeight == h) {
            FullRows sink(*picture);
            if (!readRows(read.png, fullWidth, fullHeight, row.data(), pixels.data(), &sink)) return std::nullopt;
        } else {
            AveragedRows sink(w, h, *picture);
            if (!readRows(read.png, fullWidth, fullHeight, row.data(), pixels.data(), &sink)) return std::nullopt;
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (readWidth == width && readHeight == height) return picture;
    return scaledBitmap(*picture, width, height);
}

}  // namespace platform::graphics
