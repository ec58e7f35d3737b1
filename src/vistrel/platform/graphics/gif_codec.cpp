// GIF decoding with giflib, record by record, so that every limit is checked before
// the pixels it guards are allocated. Frames are composed on the logical screen the way
// browsers do it: transparent pixels keep what is under them, and each frame's
// disposal (leave, clear to transparent, restore the previous picture) applies before
// the next one. A frame whose data is far beyond what its pixels need is refused before
// it is decoded (gif_frame_data.hpp); its LZW codes are decoded by the kit's own decoder
// (gif_lzw_decoder.hpp), whose clear codes cost no more than other codes.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "vistrel/platform/graphics/gif_frame_data.hpp"
#include "vistrel/platform/graphics/gif_lzw_decoder.hpp"
#include "vistrel/platform/graphics/image.hpp"
#include "vistrel/platform/graphics/image_decoding.hpp"

namespace platform::graphics {

namespace {

struct Reader {
    std::string_view bytes;
    std::size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* buffer, int count) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    std::size_t n = std::min<std::size_t>(std::size_t(std::max(count, 0)), reader->bytes.size() - reader->offset);
    std::memcpy(buffer, reader->bytes.data() + reader->offset, n);
    reader->offset += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Browsers show a delay under 2 hundredths of a second as a tenth of a second.
double frameSeconds(int delayHundredths) { return (delayHundredths < 2 ? 10 : delayHundredths) / 100.0; }

// Reads the colour indices of the current image from its data's blocks (its LZW codes
// decoded here, gif_lzw_decoder.hpp), then the blocks up to their end. The rows of an
// interlaced image come in four passes, which `stream` holds until they are put in place.
bool readIndices(GifFileType* gif, std::vector<GifByteType>& indices, std::vector<GifByteType>& stream, int width,
                 int height, bool interlaced) {
    const std::size_t rowLength = std::size_t(width);
    indices.resize(rowLength * std::size_t(height));
    std::vector<GifByteType>& decoded = interlaced ? stream : indices;
    decoded.resize(indices.size());
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) != GIF_OK) return false;
    GifLzwDecoder decoder(codeSize, decoded);
    while (block) {
        if (!decoder.decode({reinterpret_cast<const char*>(block + 1), block[0]})) return false;
        if (DGifGetCodeNext(gif, &block) != GIF_OK) return false;
    }
    if (!decoder.filled()) return false;
    if (interlaced) {
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        const GifByteType* row = stream.data();
        for (int pass = 0; pass < 4; ++pass)
            for (int y = starts[pass]; y < height; y += steps[pass], row += rowLength)
                std::copy(row, row + rowLength, indices.begin() + std::ptrdiff_t(std::size_t(y) * rowLength));
    }
    return true;
}

// Passes over the compressed data of an image that is not decoded.
bool skipImageData(GifFileType* gif) {
    int codeSize = 0;
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) != GIF_OK) return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) != GIF_OK) return false;
    return true;
}

class Composer {
public:
    explicit Composer(Bitmap screen) : screen_(std::move(screen)) {}

    // Draws one frame on the screen and gives a copy of it, then applies its disposal.
    // None when the memory for the copy cannot be had.
    std::optional<Bitmap> addFrame(const GifImageDesc& desc, const ColorMapObject& colors,
                                   const std::vector<GifByteType>& indices, const GraphicsControlBlock& control) {
        std::optional<Bitmap> saved;
        if (control.DisposalMode == DISPOSE_PREVIOUS) saved = screen_;
        for (int y = 0; y < desc.Height; ++y) {
            const int sy = desc.Top + y;
            if (sy < 0 || sy >= screen_.height()) continue;
            std::uint32_t* row = screen_.data() + std::size_t(sy) * screen_.width();
            const GifByteType* source = indices.data() + std::size_t(y) * desc.Width;
            for (int x = 0; x < desc.Width; ++x) {
                const int index = source[x], sx = desc.Left + x;
                if (index == control.TransparentColor || index >= colors.ColorCount || sx < 0 || sx >= screen_.width())
                    continue;
                const GifColorType& c = colors.Colors[index];
                row[sx] = premultipliedPixel(c.Red, c.Green, c.Blue, 255);
            }
        }
        std::optional<Bitmap> frame;
        try {
            frame = screen_;
        } catch (const std::bad_alloc&) {
        }
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = std::max(0, desc.Top); y < std::min(screen_.height(), desc.Top + desc.Height); ++y)
                for (int x = std::max(0, desc.Left); x < std::min(screen_.width(), desc.Left + desc.Width); ++x)
                    screen_.data()[std::size_t(y) * screen_.width() + x] = 0;
        } else if (saved) {
            screen_ = std::move(*saved);
        }
        return frame;
    }

private:
    Bitmap screen_;
};

std::string overLimit(std::string_view what, long long value, long long limit) {
    std::string text(what);
    text += ' ';
    text += std::to_string(value);
    text += " is over the limit of ";
    text += std::to_string(limit);
    return text;
}

}  // namespace

ImageSourceResult readGifSource(std::string_view bytes, const ImageSourceLimits& limits) {
    Reader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) return {};
    const long long canvasPixels = static_cast<long long>(gif->SWidth) * gif->SHeight;
    if (canvasPixels > limits.maxCanvasPixels)
        return {std::nullopt, overLimit("the canvas pixel count", canvasPixels, limits.maxCanvasPixels)};
    auto screen = Bitmap::make(gif->SWidth, gif->SHeight);
    if (!screen) return {};
    Composer composer(std::move(*screen));
    const long long frameBytes = canvasPixels * 4;

    ImageSource source;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    bool hasControl = false;
    std::vector<GifByteType> indices, stream;
    // A stream cut short or damaged keeps the frames read before the damage.
    auto finish = [&]() -> ImageSourceResult { return {std::move(source), {}}; };
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK) return finish();
        if (record == TERMINATE_RECORD_TYPE) return finish();
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return finish();
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                hasControl = DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK;
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return finish();
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) != GIF_OK) return finish();
        // giflib keeps a growing list of descriptors it does not need here.
        const GifImageDesc desc = gif->Image;
        const std::size_t count = source.frames.size() + 1;
        if (count > limits.maxFrames)
            return {std::nullopt, overLimit("the frame count", static_cast<long long>(count),
                                            static_cast<long long>(limits.maxFrames))};
        if (frameBytes > limits.maxDecodedBytes / static_cast<long long>(count))
            return {std::nullopt, overLimit("the decoded byte count", frameBytes * static_cast<long long>(count),
                                            limits.maxDecodedBytes)};
        ImageSourceFrame& frame = source.frames.emplace_back();
        if (hasControl) frame.gif = GifFrameProperties{control.DelayTime / 100.0, frameSeconds(control.DelayTime)};
        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        const bool drawable = colors && desc.Width > 0 && desc.Height > 0 &&
                              static_cast<long long>(desc.Width) * desc.Height <= canvasPixels;
        if (!drawable) {
            // No colours to draw with, no pixels (a side of 0), or a frame larger than
            // the screen: this frame is lost, but the stream goes on past its data.
            if (!skipImageData(gif.get())) return finish();
        } else {
            // The frame's data follows its code size, the last byte the decoder read.
            const long long pixels = static_cast<long long>(desc.Width) * desc.Height;
            if (reader.offset == 0 ||
                !gifFrameDataWithinBounds(bytes, reader.offset, static_cast<std::uint8_t>(bytes[reader.offset - 1]),
                                          pixels))
                return {std::nullopt, "the data of a frame of " + std::to_string(pixels) +
                                          " pixels holds more bytes or clear codes than its pixels need"};
            if (!readIndices(gif.get(), indices, stream, desc.Width, desc.Height, desc.Interlace)) return finish();
            frame.image = composer.addFrame(desc, *colors, indices, control);
        }
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        hasControl = false;
    }
}

std::optional<DecodedFrames> decodeGif(std::string_view bytes) {
    ImageSourceLimits limits;
    limits.maxCanvasPixels = Image::maxDecodedPixels;
    limits.maxDecodedBytes = Image::maxDecodedPixels * 4;
    ImageSourceResult read = readGifSource(bytes, limits);
    if (!read.source) return std::nullopt;
    DecodedFrames decoded;
    for (ImageSourceFrame& frame : read.source->frames) {
        if (!frame.image) continue;
        decoded.duration += frame.gif ? frame.gif->delayTime : 0.1;
        decoded.frames.push_back(std::move(*frame.image));
    }
    if (decoded.frames.empty()) return std::nullopt;
    if (decoded.frames.size() == 1) decoded.duration = 0;
    return decoded;
}

}  // namespace platform::graphics
