// GIF decoding with giflib, record by record, so that each frame's size is checked
// before its pixels are read. Frames are composed on the logical screen the way
// browsers do it: transparent pixels keep what is under them, and each frame's
// disposal (leave, clear to transparent, restore the previous picture) applies before
// the next one.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/graphics/image_decoding.hpp"

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

// Reads the rows of the current image (interlaced ones in their four passes).
bool readRows(GifFileType* gif, std::vector<GifByteType>& indices, int width, int height, bool interlaced) {
    indices.assign(std::size_t(width) * std::size_t(height), 0);
    auto readRow = [&](int y) { return DGifGetLine(gif, &indices[std::size_t(y) * width], width) == GIF_OK; };
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            if (!readRow(y)) return false;
        return true;
    }
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass])
            if (!readRow(y)) return false;
    return true;
}

class Composer {
public:
    Composer(Bitmap screen) : screen_(std::move(screen)) {}

    // Draws one frame on the screen, keeps a copy as the frame, then applies its disposal.
    bool addFrame(const GifImageDesc& desc, const ColorMapObject& colors, const std::vector<GifByteType>& indices,
                  const GraphicsControlBlock& control) {
        std::optional<Bitmap> saved;
        if (control.DisposalMode == DISPOSE_PREVIOUS) saved = screen_;
        for (int y = 0; y < desc.Height; ++y) {
            for (int x = 0; x < desc.Width; ++x) {
                int index = indices[std::size_t(y) * desc.Width + x];
                int sx = desc.Left + x, sy = desc.Top + y;
                if (index == control.TransparentColor || index >= colors.ColorCount || !screen_.contains(sx, sy))
                    continue;
                const GifColorType& c = colors.Colors[index];
                screen_.data()[std::size_t(sy) * screen_.width() + sx] =
                    premultipliedPixel(c.Red, c.Green, c.Blue, 255);
            }
        }
        frames_.push_back(screen_);
        duration_ += frameSeconds(control.DelayTime);
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = std::max(0, desc.Top); y < std::min(screen_.height(), desc.Top + desc.Height); ++y)
                for (int x = std::max(0, desc.Left); x < std::min(screen_.width(), desc.Left + desc.Width); ++x)
                    screen_.data()[std::size_t(y) * screen_.width() + x] = 0;
        } else if (saved) {
            screen_ = std::move(*saved);
        }
        return true;
    }

    std::size_t frameCount() const { return frames_.size(); }

    DecodedFrames result() {
        DecodedFrames decoded;
        decoded.duration = frames_.size() > 1 ? duration_ : 0;
        decoded.frames = std::move(frames_);
        return decoded;
    }

private:
    Bitmap screen_;
    std::vector<Bitmap> frames_;
    double duration_ = 0;
};

}  // namespace

std::optional<DecodedFrames> decodeGif(std::string_view bytes) {
    Reader reader{bytes};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) return std::nullopt;
    if (!withinDecodingLimits(gif->SWidth, gif->SHeight)) return std::nullopt;
    auto screen = Bitmap::make(gif->SWidth, gif->SHeight);
    if (!screen) return std::nullopt;
    Composer composer(std::move(*screen));

    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    std::vector<GifByteType> indices;
    // A stream cut short keeps the frames read whole before the damage.
    auto finish = [&]() -> std::optional<DecodedFrames> {
        if (composer.frameCount() == 0) return std::nullopt;
        return composer.result();
    };
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) != GIF_OK) return finish();
        if (record == TERMINATE_RECORD_TYPE) return finish();
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return finish();
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                DGifExtensionToGCB(block[0], block + 1, &control);
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return finish();
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) != GIF_OK) return finish();
        // giflib keeps a growing list of descriptors it does not need here.
        const GifImageDesc desc = gif->Image;
        const ColorMapObject* colors = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!colors || !withinDecodingLimits(desc.Width, desc.Height) ||
            !withinDecodingLimits(gif->SWidth, gif->SHeight, static_cast<long long>(composer.frameCount()) + 1))
            return finish();
        if (!readRows(gif.get(), indices, desc.Width, desc.Height, desc.Interlace)) return finish();
        composer.addFrame(desc, *colors, indices, control);
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
}

}  // namespace platform::graphics
