#pragma once
// Photos of printed pages with QR codes on them, drawn the way a phone camera sees a
// page held by hand: codes anywhere on the page at any angle, the page in perspective,
// a little out of focus, dim, flat in contrast and grainy. Deterministic for a seed.
#include <cstdint>
#include <string>
#include <vector>

namespace qrtest {

struct Code {
    std::string payload;  // the bytes the code holds (8-bit mode)
    double x = 0.5, y = 0.5;  // centre on the page, as fractions of its width and height
    double size = 0.3;        // side with the quiet zone, as a fraction of the page's width
    double angle = 0;         // degrees, clockwise; 180 is upside down
};

struct Scene {
    int width = 1000, height = 750;  // the photo in pixels
    std::vector<Code> codes;
    double perspective = 0;  // 0: the page seen square on; 0.3: its far edge 30 % shorter
    double blur = 0;         // radius in pixels of the lens blur
    double noise = 0;        // standard deviation of the sensor grain, in levels of 255
    double contrast = 1;     // 1: black ink on white paper; less pulls both to mid grey
    double light = 1;        // 1: daylight; less darkens the whole photo
    unsigned seed = 1;
};

// The photo as straight RGB, three bytes per pixel, rows without padding.
std::vector<std::uint8_t> renderScene(const Scene& scene);

// The photo as colour JPEG bytes.
std::string sceneJpeg(const Scene& scene, int quality = 90);

// JPEG bytes of an RGB picture, with an Exif block recording the orientation (1...8)
// when it is not 0.
std::string encodeRgbJpeg(const std::vector<std::uint8_t>& rgb, int width, int height, int quality,
                          int exifOrientation = 0);

}  // namespace qrtest
