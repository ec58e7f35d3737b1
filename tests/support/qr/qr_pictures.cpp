#include "support/qr/qr_pictures.hpp"

#include <cairo.h>
#include <qrencode.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <random>

namespace qrtest {

namespace {

constexpr double kMargin = 0.06;  // the desk seen around the page, as a fraction of the photo
constexpr int kQuietModules = 4;

struct Rgb {
    double r, g, b;
};
constexpr Rgb kPaper{0.98, 0.965, 0.93};
constexpr Rgb kDesk{0.45, 0.38, 0.31};

// Projective map from the unit square onto a quadrilateral (corners clockwise from the
// top left), and back.
struct Homography {
    std::array<double, 9> m{};

    static Homography squareTo(const std::array<std::array<double, 2>, 4>& q) {
        double x0 = q[0][0], y0 = q[0][1], x1 = q[1][0], y1 = q[1][1];
        double x2 = q[2][0], y2 = q[2][1], x3 = q[3][0], y3 = q[3][1];
        double dx1 = x1 - x2, dx2 = x3 - x2, dx3 = x0 - x1 + x2 - x3;
        double dy1 = y1 - y2, dy2 = y3 - y2, dy3 = y0 - y1 + y2 - y3;
        double g = 0, h = 0;
        if (dx3 != 0 || dy3 != 0) {
            double den = dx1 * dy2 - dx2 * dy1;
            g = (dx3 * dy2 - dx2 * dy3) / den;
            h = (dx1 * dy3 - dx3 * dy1) / den;
        }
        return {{x1 - x0 + g * x1, x3 - x0 + h * x3, x0, y1 - y0 + g * y1, y3 - y0 + h * y3, y0, g, h, 1}};
    }

    Homography inverse() const {
        const auto& a = m;
        std::array<double, 9> c{a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
                                a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
                                a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
        double det = a[0] * c[0] + a[1] * c[3] + a[2] * c[6];
        for (double& v : c) v /= det;
        return {c};
    }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void drawCode(cairo_t* cr, const Code& code, double pageWidth, double pageHeight) {
    std::unique_ptr<QRcode, decltype(&QRcode_free)> qr(
        QRcode_encodeData(int(code.payload.size()), reinterpret_cast<const unsigned char*>(code.payload.data()), 0,
                          QR_ECLEVEL_M),
        QRcode_free);
    if (!qr) return;
    const int modules = qr->width + 2 * kQuietModules;
    const double side = code.size * pageWidth, module = side / modules;
    cairo_save(cr);
    cairo_translate(cr, code.x * pageWidth, code.y * pageHeight);
    cairo_rotate(cr, code.angle * M_PI / 180);
    cairo_translate(cr, -side / 2, -side / 2);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, side, side);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.08);
    for (int y = 0; y < qr->width; ++y)
        for (int x = 0; x < qr->width; ++x)
            if (qr->data[y * qr->width + x] & 1)
                cairo_rectangle(cr, (x + kQuietModules) * module, (y + kQuietModules) * module, module, module);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The flat page: paper, lines of grey "text", then the codes on top.
SurfacePtr drawPage(const Scene& scene, int width, int height) {
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
    ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    std::mt19937 random(scene.seed);
    cairo_set_source_rgb(cr.get(), 0.35, 0.35, 0.38);
    const double lineHeight = std::max(4.0, height / 40.0);
    for (double y = lineHeight * 2; y < height - lineHeight * 2; y += lineHeight * 1.8) {
        for (double x = width * 0.08; x < width * 0.9;) {
            double word = lineHeight * (1 + random() % 5);
            cairo_rectangle(cr.get(), x, y, std::min(word, width * 0.92 - x), lineHeight * 0.6);
            x += word + lineHeight * 0.7;
        }
    }
    cairo_fill(cr.get());
    for (const Code& code : scene.codes) drawCode(cr.get(), code, width, height);
    cairo_surface_flush(surface.get());
    return surface;
}

// The page seen through the camera: warped onto its place in the photo, lit unevenly.
std::vector<double> photograph(const Scene& scene, cairo_surface_t* page) {
    const int pw = cairo_image_surface_get_width(page), ph = cairo_image_surface_get_height(page);
    const int stride = cairo_image_surface_get_stride(page);
    const unsigned char* pixels = cairo_image_surface_get_data(page);
    const double W = scene.width, H = scene.height;
    const double inset = scene.perspective * W * (1 - 2 * kMargin) / 2;
    auto toPage = Homography::squareTo({{{kMargin * W + inset, kMargin * H},
                                         {W - kMargin * W - inset, kMargin * H},
                                         {W - kMargin * W, H - kMargin * H},
                                         {kMargin * W, H - kMargin * H}}})
                      .inverse()
                      .m;
    auto sample = [&](int x, int y, int channel) {
        x = std::clamp(x, 0, pw - 1);
        y = std::clamp(y, 0, ph - 1);
        // RGB24 is a native 32-bit word: blue in the low byte.
        std::uint32_t p = reinterpret_cast<const std::uint32_t*>(pixels + std::size_t(y) * stride)[x];
        return ((p >> (16 - 8 * channel)) & 0xFF) / 255.0;
    };
    std::vector<double> out(std::size_t(scene.width) * scene.height * 3);
    for (int y = 0; y < scene.height; ++y) {
        for (int x = 0; x < scene.width; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double w = toPage[6] * px + toPage[7] * py + toPage[8];
            double u = (toPage[0] * px + toPage[1] * py + toPage[2]) / w;
            double v = (toPage[3] * px + toPage[4] * py + toPage[5]) / w;
            double shade = 0.85 + 0.15 * px / W;
            double* rgb = &out[(std::size_t(y) * scene.width + x) * 3];
            if (u < 0 || u > 1 || v < 0 || v > 1) {
                rgb[0] = kDesk.r * shade, rgb[1] = kDesk.g * shade, rgb[2] = kDesk.b * shade;
                continue;
            }
            double sx = u * pw - 0.5, sy = v * ph - 0.5;
            int ix = int(std::floor(sx)), iy = int(std::floor(sy));
            double fx = sx - ix, fy = sy - iy;
            const double paper[3] = {kPaper.r, kPaper.g, kPaper.b};
            for (int c = 0; c < 3; ++c) {
                double value = (sample(ix, iy, c) * (1 - fx) + sample(ix + 1, iy, c) * fx) * (1 - fy) +
                               (sample(ix, iy + 1, c) * (1 - fx) + sample(ix + 1, iy + 1, c) * fx) * fy;
                rgb[c] = value * paper[c] * shade;
            }
        }
    }
    return out;
}

// Three box passes each way: close to a Gaussian of that radius.
void blur(std::vector<double>& rgb, int width, int height, int radius) {
    if (radius < 1) return;
    std::vector<double> line;
    auto pass = [&](int count, int length, std::size_t start, std::size_t step, std::size_t next) {
        line.resize(length);
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < 3; ++c) {
                std::size_t base = start + i * next + c;
                for (int k = 0; k < length; ++k) line[k] = rgb[base + k * step];
                double sum = 0;
                for (int k = -radius; k <= radius; ++k) sum += line[std::clamp(k, 0, length - 1)];
                for (int k = 0; k < length; ++k) {
                    rgb[base + k * step] = sum / (2 * radius + 1);
                    sum += line[std::min(k + radius + 1, length - 1)] - line[std::max(k - radius, 0)];
                }
            }
        }
    };
    for (int round = 0; round < 3; ++round) {
        pass(height, width, 0, 3, std::size_t(width) * 3);
        pass(width, height, 0, std::size_t(width) * 3, 3);
    }
}

}  // namespace

std::vector<std::uint8_t> renderScene(const Scene& scene) {
    const int pageWidth = std::max(1, int(scene.width * (1 - 2 * kMargin)));
    const int pageHeight = std::max(1, int(scene.height * (1 - 2 * kMargin)));
    auto page = drawPage(scene, pageWidth, pageHeight);
    std::vector<double> photo = photograph(scene, page.get());
    page.reset();
    blur(photo, scene.width, scene.height, int(std::lround(scene.blur)));
    std::mt19937 random(scene.seed * 7919u + 1);
    auto gaussian = [&] {
        double a = (random() + 1.0) / 4294967297.0, b = random() / 4294967296.0;
        return std::sqrt(-2 * std::log(a)) * std::cos(2 * M_PI * b);
    };
    std::vector<std::uint8_t> out(photo.size());
    for (std::size_t i = 0; i < photo.size(); ++i) {
        double value = (0.5 + (photo[i] - 0.5) * scene.contrast) * scene.light * 255;
        if (scene.noise > 0) value += gaussian() * scene.noise;
        out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return out;
}

std::string sceneJpeg(const Scene& scene, int quality) {
    return encodeRgbJpeg(renderScene(scene), scene.width, scene.height, quality);
}

std::string encodeRgbJpeg(const std::vector<std::uint8_t>& rgb, int width, int height, int quality,
                          int exifOrientation) {
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420, quality, 0);
    std::string out(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    tjDestroy(handle);
    if (exifOrientation == 0) return out;
    // APP1 "Exif": a big-endian TIFF header and one IFD holding the orientation (SHORT).
    const std::string tiff{"MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19};
    std::string exif = "Exif";
    exif.append(2, '\0');
    exif += tiff;
    exif += static_cast<char>(exifOrientation);
    exif.append(6, '\0');  // value padding, then no further IFD
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>((exif.size() + 2) >> 8);
    segment += static_cast<char>((exif.size() + 2) & 0xFF);
    segment += exif;
    out.insert(2, segment);
    return out;
}

}  // namespace qrtest
