#include <cmath>

#include "artwork.hpp"
#include "vistrel/platform/graphics/bitmap.hpp"

namespace artwork {

bool writeDrawing(const std::filesystem::path& path, Size points, const std::function<void(Canvas&)>& draw) {
    constexpr double scale = 2;
    auto bitmap = platform::graphics::Bitmap::make(int(std::lround(points.width * scale)),
                                                   int(std::lround(points.height * scale)));
    if (!bitmap) return false;
    {
        Canvas canvas(*bitmap, scale);
        draw(canvas);
    }
    return platform::graphics::writePng(*bitmap, path);
}

void strokeRounded(Canvas& canvas, const Rect& rect, double radius, Color color, double width) {
    Path path;
    path.addRoundedRect(rect, radius);
    canvas.stroke(path, color, width);
}

Path circle(Point centre, double radius) {
    Path path;
    path.addArc(centre, radius, 0, 2 * M_PI, true);
    path.close();
    return path;
}

}  // namespace artwork
