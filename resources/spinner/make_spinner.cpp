// Draws the kit's loading spinner, Vistrel.bundle/spinner.gif: twelve spokes round a
// centre, one frame per spoke, the leading spoke darkest and the others fading behind.
// The file is committed; rebuild it after a change with
//   g++ -O2 make_spinner.cpp -lgif -o /tmp/make_spinner && /tmp/make_spinner ../Vistrel.bundle/spinner.gif
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const int size = 64, spokes = 12, delayHundredths = 10;
    const double pi = 3.14159265358979323846, inner = 13, outer = 28, halfWidth = 3.2;
    GifColorType colors[16] = {};
    for (int i = 1; i <= spokes; ++i) {  // index 1 lightest ... 12 darkest grey
        auto level = static_cast<GifByteType>(220 - (i - 1) * 16);
        colors[i] = {level, level, level};
    }
    int error = 0;
    GifFileType* gif = EGifOpenFileName(argv[1], false, &error);
    if (!gif) return 1;
    ColorMapObject* map = GifMakeMapObject(16, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, size, size, 4, 0, map);
    // Loop for ever.
    const GifByteType loop[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType forever[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, sizeof loop, loop);
    EGifPutExtensionBlock(gif, sizeof forever, forever);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> row(size);
    for (int frame = 0; frame < spokes; ++frame) {
        GraphicsControlBlock control{DISPOSE_BACKGROUND, false, delayHundredths, 0};
        GifByteType extension[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&control, extension)), extension);
        EGifPutImageDesc(gif, 0, 0, size, size, false, nullptr);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                row[x] = 0;
                const double dx = x + 0.5 - size / 2.0, dy = y + 0.5 - size / 2.0;
                for (int s = 0; s < spokes; ++s) {
                    const double angle = 2 * pi * s / spokes;
                    const double along = dx * std::sin(angle) - dy * std::cos(angle);
                    const double across = dx * std::cos(angle) + dy * std::sin(angle);
                    if (along < inner || along > outer || std::fabs(across) > halfWidth) continue;
                    // The spoke `frame` leads; those behind it are lighter.
                    const int behind = (frame - s + spokes) % spokes;
                    row[x] = static_cast<GifPixelType>(spokes - behind);
                }
            }
            EGifPutLine(gif, row.data(), size);
        }
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK ? 0 : 1;
}
