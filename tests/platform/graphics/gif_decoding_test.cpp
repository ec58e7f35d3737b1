// A GIF's frames show the colour indices giflib's own decoder reads from the same data:
// pictures giflib's encoder writes (the code table filled and started over, long runs
// whose codes name the entry they add, interlaced rows, small and large palettes), and
// code streams written here that go on past a full table without a clear code. Data
// whose codes the table does not hold gives no frame.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "gif_reference.hpp"
#include "vistrel/platform/graphics/image.hpp"

namespace {

using platform::graphics::Image;

int appendBytes(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), std::size_t(count));
    return count;
}

// One frame as giflib's encoder writes it, with a palette of `colours` (2 to 256, a power
// of two); an interlaced one gets its rows in the order of the passes.
std::string encodedByGiflib(int width, int height, int colours, bool interlaced, const std::vector<std::uint8_t>& indices) {
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    std::vector<GifColorType> palette;
    for (int i = 0; i < colours; ++i) palette.push_back(imagetest::paletteColour(i));
    ColorMapObject* map = GifMakeMapObject(colours, palette.data());
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    std::vector<int> rows;
    if (!interlaced)
        for (int y = 0; y < height; ++y) rows.push_back(y);
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; interlaced && pass < 4; ++pass)
        for (int y = starts[pass]; y < height; y += steps[pass]) rows.push_back(y);
    for (int y : rows) {
        std::vector<GifPixelType> row(indices.begin() + std::ptrdiff_t(y) * width,
                                      indices.begin() + std::ptrdiff_t(y + 1) * width);
        EGifPutLine(gif, row.data(), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// LZW codes packed as decoders read them, the lowest bit first: `codeSize` + 1 bits each
// at first, one more once the table's next free entry no longer fits (every code after
// the first since a clear code adds an entry, up to 4,096), up to 12.
std::string packed(int codeSize, const std::vector<unsigned>& codes) {
    const unsigned clear = 1u << codeSize;
    unsigned bits = unsigned(codeSize) + 1, next = clear + 2, count = 0;
    bool first = true;
    std::uint32_t pending = 0;
    std::string out;
    for (unsigned code : codes) {
        pending |= code << count;
        for (count += bits; count >= 8; count -= 8, pending >>= 8) out += static_cast<char>(pending & 0xFF);
        if (code == clear) {
            bits = unsigned(codeSize) + 1, next = clear + 2, first = true;
            continue;
        }
        if (!first && next < 4096) ++next;
        first = false;
        if (next >= (1u << bits) && bits < 12) ++bits;
    }
    if (count) out += static_cast<char>(pending);
    return out;
}

// A GIF of one frame whose data is those codes.
std::string gifOfCodes(int width, int height, int codeSize, const std::vector<unsigned>& codes) {
    return imagetest::gifOfOneFrame(width, height, codeSize, false, packed(codeSize, codes));
}

std::optional<std::vector<std::uint32_t>> shownPixels(const std::string& gif) {
    const auto image = Image::decode(gif);
    if (!image) return std::nullopt;
    const auto& bitmap = image->bitmap();
    return std::vector<std::uint32_t>(bitmap.data(), bitmap.data() + std::size_t(bitmap.width()) * bitmap.height());
}

TEST(GifDecodingTest, FramesShowTheIndicesGiflibReads) {
    std::mt19937 random(7);
    const auto indices = [&](int count, int colours, int run) {
        std::vector<std::uint8_t> out;
        while (int(out.size()) < count) out.insert(out.end(), std::size_t(run), std::uint8_t(random() % unsigned(colours)));
        out.resize(std::size_t(count));
        return out;
    };
    // Literals of two bits, 6,000 of them: the table is full after 4,090, and the codes go
    // on at 12 bits without a clear code; then its last entries, of two indices each.
    std::vector<unsigned> pastAFullTable;
    for (int i = 0; i < 6000; ++i) pastAFullTable.push_back(unsigned(i * 7 % 4));
    pastAFullTable.insert(pastAFullTable.end(), {4095, 4094, 4000, 5});
    struct Row {
        const char* name;
        std::string gif;
    };
    const Row rows[] = {
        {"256 colours of noise: the table filled and started over",
         encodedByGiflib(300, 200, 256, false, indices(300 * 200, 256, 1))},
        {"one colour: long runs, their codes the entry they add",
         encodedByGiflib(256, 256, 256, false, std::vector<std::uint8_t>(256 * 256, 5))},
        {"16 colours in short runs, interlaced", encodedByGiflib(101, 75, 16, true, indices(101 * 75, 16, 3))},
        {"2 colours", encodedByGiflib(64, 64, 2, false, indices(64 * 64, 2, 2))},
        {"codes past a full table", gifOfCodes(78, 77, 2, pastAFullTable)},
        // 1 | 1 1 (the entry its code adds) | 1 1 1 (again) | 2 | 1 1 1 2 | clear | 3 | 3 | 3 3.
        {"codes that add the entry they name, and a clear code",
         gifOfCodes(15, 1, 2, {4, 1, 6, 7, 2, 8, 4, 3, 3, 6, 5})},
        {"pixels beyond the frame's: passed over", gifOfCodes(3, 1, 2, {4, 1, 6, 7, 2, 5})},
        // 0 | 1 | 0 1 (the entry the code before added) of which only its first fits.
        {"a code whose string runs past the frame's last pixel: its first indices",
         gifOfCodes(3, 1, 2, {4, 0, 1, 6, 5})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto expected = imagetest::giflibPixels(row.gif);
        ASSERT_TRUE(expected);
        EXPECT_EQ(shownPixels(row.gif), expected);
    }
    const auto firstIndices = shownPixels(gifOfCodes(3, 1, 2, {4, 0, 1, 6, 5}));
    ASSERT_TRUE(firstIndices);
    const auto red = [](std::uint32_t pixel) { return pixel >> 16 & 0xFF; };  // the index, in this palette
    EXPECT_EQ(std::vector<std::uint32_t>({red((*firstIndices)[0]), red((*firstIndices)[1]), red((*firstIndices)[2])}),
              std::vector<std::uint32_t>({0, 1, 0}));
    // Codes the table does not hold yet, or the end before the last pixel.
    EXPECT_FALSE(Image::decode(gifOfCodes(4, 1, 2, {4, 1, 7, 1, 5})));
    EXPECT_FALSE(Image::decode(gifOfCodes(4, 1, 2, {4, 6, 1, 1, 5})));
    EXPECT_FALSE(Image::decode(gifOfCodes(4, 1, 2, {4, 1, 1, 5})));
}

}  // namespace
