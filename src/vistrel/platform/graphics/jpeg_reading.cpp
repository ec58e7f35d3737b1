// libjpeg reports errors by a long jump back into the function that armed it: each step
// arms it itself and holds no object with a destructor, and what the steps share lives in
// a Decompressor its caller holds. Callbacks never let an exception reach libjpeg's frames.
#include "vistrel/platform/graphics/jpeg_reading.hpp"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "vistrel/platform/graphics/exif_orientation.hpp"
#include "vistrel/platform/graphics/jpeg_scaled_decoding.hpp"
#include "vistrel/platform/graphics/jpeg_scans.hpp"

namespace platform::graphics {

namespace {

struct ErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }
// Warnings are stepped over: the picture is kept as the decoder leaves it. Nothing is
// printed.
void ignoreMessage(j_common_ptr, int) {}
void printNothing(j_common_ptr) {}

// What the decoder reads from: the input's pieces, then, past its end, an end-of-image
// marker, as libjpeg's own sources give at the end of their data.
struct Source {
    jpeg_source_mgr manager;
    PictureInput* input = nullptr;
    bool ended = false;
};

constexpr JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    std::string_view piece;
    if (!source->ended) {
        try {
            piece = source->input->next();
        } catch (...) {
            piece = {};  // no room to read on: the picture ends here
        }
    }
    if (piece.empty()) {
        source->ended = true;
        source->manager.next_input_byte = kEndOfImage;
        source->manager.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    source->manager.next_input_byte = reinterpret_cast<const JOCTET*>(piece.data());
    source->manager.bytes_in_buffer = piece.size();
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<Source*>(info->src);
    while (count > 0 && static_cast<std::size_t>(count) > source->manager.bytes_in_buffer) {
        count -= static_cast<long>(source->manager.bytes_in_buffer);
        fillInput(info);
        if (source->ended) return;  // what is left is the end of the image
    }
    if (count <= 0) return;
    source->manager.next_input_byte += count;
    source->manager.bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Stops the decoder at one scan too many, however few bytes each takes.
void countScans(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxJpegScans) jumpOnError(info);
}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    Source source{};
    jpeg_progress_mgr progress{};
    bool made = false;

    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    // A decode stopped anywhere, its rows read or not, ends here: nothing more is read.
    ~Decompressor() {
        if (made) jpeg_destroy_decompress(&info);
    }
};

bool readHeader(Decompressor& d, PictureInput& input) {
    d.info.err = jpeg_std_error(&d.errors.manager);
    d.errors.manager.error_exit = jumpOnError;
    d.errors.manager.emit_message = ignoreMessage;
    d.errors.manager.output_message = printNothing;
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.made = true;
    d.source.input = &input;
    d.source.manager.init_source = initSource;
    d.source.manager.fill_input_buffer = fillInput;
    d.source.manager.skip_input_data = skipInput;
    d.source.manager.resync_to_restart = jpeg_resync_to_restart;
    d.source.manager.term_source = termSource;
    d.info.src = &d.source.manager;
    d.progress.progress_monitor = countScans;
    d.info.progress = &d.progress;
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);  // Exif
    return jpeg_read_header(&d.info, TRUE) == JPEG_HEADER_OK;
}

bool isCmyk(const jpeg_decompress_struct& info) {
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// The scaled size the decoder gives, in stored (not turned) pixels.
bool scaleTo(Decompressor& d, const ScaledJpegSize& scale) {
    if (setjmp(d.errors.jump)) return false;
    d.info.scale_num = static_cast<unsigned>(scale.num);
    d.info.scale_denom = static_cast<unsigned>(scale.denom);
    // Opaque pixels need no premultiplying; only the byte order matters. CMYK comes as it
    // is stored and is turned into colours row by row.
    d.info.out_color_space = isCmyk(d.info)                             ? JCS_CMYK
                             : std::endian::native == std::endian::little ? JCS_EXT_BGRA
                                                                          : JCS_EXT_ARGB;
    jpeg_calc_output_dimensions(&d.info);
    return static_cast<int>(d.info.output_width) == scale.width &&
           static_cast<int>(d.info.output_height) == scale.height;
}

// The colour of a CMYK sample: inverted (as Photoshop writes it, and as an Adobe marker
// says), each ink's share of the light left is its own byte; else its complement.
std::uint32_t cmykPixel(const JOCTET* cmyk, bool inverted) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    const auto share = [k](unsigned ink) { return static_cast<std::uint8_t>((ink * k + 127) / 255); };
    return premultipliedPixel(share(c), share(m), share(y), 255);
}

bool readRows(Decompressor& d, Bitmap& bitmap, JOCTET* cmykRow) {
    if (setjmp(d.errors.jump)) return false;
    if (!jpeg_start_decompress(&d.info)) return false;
    const bool inverted = d.info.saw_Adobe_marker;
    while (d.info.output_scanline < d.info.output_height) {
        const auto y = d.info.output_scanline;
        auto* row = reinterpret_cast<JOCTET*>(bitmap.data() + std::size_t(y) * bitmap.width());
        JSAMPROW target = cmykRow ? cmykRow : row;
        if (jpeg_read_scanlines(&d.info, &target, 1) != 1) return false;
        if (cmykRow) {
            auto* pixels = bitmap.data() + std::size_t(y) * bitmap.width();
            for (int x = 0; x < bitmap.width(); ++x) pixels[x] = cmykPixel(cmykRow + std::size_t(x) * 4, inverted);
        }
    }
    return true;  // the rest of the file, whatever it holds, is not read
}

struct HeaderRead {
    ImageHeader header;
    int orientation = 1;
};

HeaderRead headerOf(const jpeg_decompress_struct& info) {
    JpegFrame frame;
    frame.width = static_cast<int>(info.image_width);
    frame.height = static_cast<int>(info.image_height);
    frame.progressive = info.progressive_mode;
    for (int i = 0; i < info.num_components; ++i)
        frame.components.push_back({info.comp_info[i].h_samp_factor, info.comp_info[i].v_samp_factor});
    int orientation = 1;
    for (auto* marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1) continue;
        const std::string_view data(reinterpret_cast<const char*>(marker->data), marker->data_length);
        if (auto told = exifSegmentOrientation(data)) {
            orientation = *told;
            break;
        }
    }
    const bool turned = orientation >= 5 && orientation <= 8;
    ImageHeader header{ImageFormat::jpeg, turned ? frame.height : frame.width, turned ? frame.width : frame.height};
    if (frame.heldWhole(static_cast<std::size_t>(std::max(info.comps_in_scan, 0)))) {
        header.storedInPasses = true;
        header.coefficientBytes = frame.coefficientBytes();
    }
    return {header, orientation};
}

}  // namespace

std::optional<ImageHeader> readJpegHeader(PictureInput& input) {
    Decompressor d;
    if (!readHeader(d, input)) return std::nullopt;
    return headerOf(d.info).header;
}

std::optional<Bitmap> readJpeg(PictureInput& input, const JpegSizeFor& sizeFor) {
    Decompressor d;
    if (!readHeader(d, input)) return std::nullopt;
    const int width = static_cast<int>(d.info.image_width), height = static_cast<int>(d.info.image_height);
    if (!withinDecodingLimits(width, height)) return std::nullopt;
    const HeaderRead read = headerOf(d.info);
    const auto covering = sizeFor(read.header);
    if (!covering) return std::nullopt;
    const auto scale = jpegScaleCovering(width, height, read.orientation, covering->width, covering->height);
    if (!scaleTo(d, scale)) return std::nullopt;
    auto bitmap = Bitmap::make(scale.width, scale.height);
    if (!bitmap) return std::nullopt;
    std::vector<JOCTET> cmykRow;
    if (isCmyk(d.info)) {
        try {
            cmykRow.resize(std::size_t(scale.width) * 4);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
    }
    if (!readRows(d, *bitmap, cmykRow.empty() ? nullptr : cmykRow.data())) return std::nullopt;
    return orientedBitmap(std::move(*bitmap), read.orientation);
}

std::optional<Bitmap> readJpeg(std::string_view bytes, const JpegSizeFor& sizeFor) {
    if (jpegScanCount(bytes) > maxJpegScans) return std::nullopt;
    PictureBytesInput input(bytes);
    return readJpeg(input, sizeFor);
}

}  // namespace platform::graphics
