// libjpeg reports errors by a long jump back into the function that armed it: each step
// arms it itself and holds no object with a destructor, and what the steps share lives in
// a Decompressor its caller holds. Callbacks never let an exception reach libjpeg's frames.
#include "vistrel/platform/graphics/jpeg_reading.hpp"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
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
    // The first Exif block of the APP1 segments, in the decoder's memory; no other APP1
    // is kept.
    const JOCTET* exif = nullptr;
    std::size_t exifLength = 0;

    Decompressor() = default;
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    // A decode stopped anywhere, its rows read or not, ends here: nothing more is read.
    ~Decompressor() {
        if (made) jpeg_destroy_decompress(&info);
    }
};

// The next byte of the input, as the decoder's marker reader takes it (the source gives an
// end-of-image marker past the input's end, so it never runs dry).
unsigned nextByte(j_decompress_ptr info) {
    if (info->src->bytes_in_buffer == 0) (*info->src->fill_input_buffer)(info);
    --info->src->bytes_in_buffer;
    return *info->src->next_input_byte++;
}

// An APP1 segment: the first Exif block is kept for its orientation; every other segment
// (another Exif block, XMP, anything) is passed over unsaved, so that what a picture's
// metadata takes of memory is one segment, whatever its header holds.
boolean readApp1(j_decompress_ptr info) {
    auto& d = *static_cast<Decompressor*>(info->client_data);
    const unsigned high = nextByte(info);
    const std::size_t length = high << 8 | nextByte(info);
    if (length < 2) jumpOnError(reinterpret_cast<j_common_ptr>(info));  // a length that cannot be
    std::size_t left = length - 2;
    constexpr std::size_t kMark = 6;
    constexpr JOCTET kExif[kMark] = {'E', 'x', 'i', 'f', 0, 0};
    JOCTET mark[kMark];
    const std::size_t marked = std::min(left, kMark);
    for (std::size_t i = 0; i < marked; ++i) mark[i] = static_cast<JOCTET>(nextByte(info));
    left -= marked;
    if (d.exif || marked < kMark || std::memcmp(mark, kExif, kMark) != 0) {
        if (left > 0) (*info->src->skip_input_data)(info, static_cast<long>(left));
        return TRUE;
    }
    auto* kept = static_cast<JOCTET*>((*info->mem->alloc_large)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                               kMark + left));
    std::memcpy(kept, mark, kMark);
    for (std::size_t at = kMark; at < kMark + left;) {
        if (info->src->bytes_in_buffer == 0) (*info->src->fill_input_buffer)(info);
        const std::size_t n = std::min(kMark + left - at, info->src->bytes_in_buffer);
        std::memcpy(kept + at, info->src->next_input_byte, n);
        info->src->next_input_byte += n;
        info->src->bytes_in_buffer -= n;
        at += n;
    }
    d.exif = kept;
    d.exifLength = kMark + left;
    return TRUE;
}

bool readHeader(Decompressor& d, PictureInput& input) {
    d.info.err = jpeg_std_error(&d.errors.manager);
    d.errors.manager.error_exit = jumpOnError;
    d.errors.manager.emit_message = ignoreMessage;
    d.errors.manager.output_message = printNothing;
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.made = true;
    d.info.client_data = &d;
    d.source.input = &input;
    d.source.manager.init_source = initSource;
    d.source.manager.fill_input_buffer = fillInput;
    d.source.manager.skip_input_data = skipInput;
    d.source.manager.resync_to_restart = jpeg_resync_to_restart;
    d.source.manager.term_source = termSource;
    d.info.src = &d.source.manager;
    d.progress.progress_monitor = countScans;
    d.info.progress = &d.progress;
    jpeg_set_marker_processor(&d.info, JPEG_APP0 + 1, readApp1);
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
    JpegFrame frame;
};

HeaderRead headerOf(const Decompressor& d) {
    const jpeg_decompress_struct& info = d.info;
    JpegFrame frame;
    frame.width = static_cast<int>(info.image_width);
    frame.height = static_cast<int>(info.image_height);
    frame.progressive = info.progressive_mode;
    for (int i = 0; i < info.num_components; ++i)
        frame.components.push_back({info.comp_info[i].h_samp_factor, info.comp_info[i].v_samp_factor});
    const int orientation =
        d.exif ? exifSegmentOrientation({reinterpret_cast<const char*>(d.exif), d.exifLength}).value_or(1) : 1;
    const bool turned = orientation >= 5 && orientation <= 8;
    ImageHeader header{ImageFormat::jpeg, turned ? frame.height : frame.width, turned ? frame.width : frame.height};
    if (frame.heldWhole(static_cast<std::size_t>(std::max(info.comps_in_scan, 0)))) {
        header.storedInPasses = true;
        header.coefficientBytes = frame.coefficientBytes();
    }
    return {header, orientation, std::move(frame)};
}

// Whether the scans after the first, up to the end of the image, are at most maxJpegScans:
// a picture held whole has them all decoded before its first row, each a pass over its
// blocks, so they are counted first, the bytes followed as they come and none held but
// a marker not all there yet. The decoder then goes on from where it stands.
bool scansWithinLimit(Decompressor& d, PictureInput& input, const JpegFrame& frame) {
    if (d.source.ended) return true;  // nothing follows
    jpeg_source_mgr& source = d.source.manager;
    const std::size_t decoderAt = input.position() - source.bytes_in_buffer;
    JpegMarkerWalk walk = JpegMarkerWalk::inFirstScan(frame);
    std::string held;  // the bytes from `heldFrom` on the walk looks at again
    std::size_t heldFrom = 0, end = 0;
    bool within = true;
    try {
        std::string_view piece(reinterpret_cast<const char*>(source.next_input_byte), source.bytes_in_buffer);
        for (;;) {
            if (!piece.empty()) {
                std::string_view bytes = piece;
                std::size_t from = end;
                if (!held.empty()) {
                    held.append(piece);
                    bytes = held;
                    from = heldFrom;
                }
                end += piece.size();
                walk.walk(bytes, JpegMarkerWalk::Until::end, from);
                if (walk.scans() > maxJpegScans) {
                    within = false;
                    break;
                }
                if (walk.ended() || walk.damaged()) break;
                held = std::string(bytes.substr(walk.position() - from));
                heldFrom = walk.position();
            }
            if ((piece = input.next()).empty()) break;
        }
    } catch (const std::bad_alloc&) {
        within = false;
    }
    source.bytes_in_buffer = 0;  // its piece is gone: the next fill reads again
    return within && input.goBackTo(decoderAt);
}

}  // namespace

std::optional<ImageHeader> readJpegHeader(PictureInput& input) {
    Decompressor d;
    if (!readHeader(d, input)) return std::nullopt;
    return headerOf(d).header;
}

std::optional<Bitmap> readJpeg(PictureInput& input, const JpegSizeFor& sizeFor) {
    Decompressor d;
    if (!readHeader(d, input)) return std::nullopt;
    const int width = static_cast<int>(d.info.image_width), height = static_cast<int>(d.info.image_height);
    if (!withinDecodingLimits(width, height)) return std::nullopt;
    const HeaderRead read = headerOf(d);
    const auto covering = sizeFor(read.header);
    if (!covering) return std::nullopt;
    if (read.header.storedInPasses && !scansWithinLimit(d, input, read.frame)) return std::nullopt;
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
    PictureBytesInput input(bytes);
    return readJpeg(input, sizeFor);
}

}  // namespace platform::graphics
