#pragma once
// The pictures the kit's bundle and the demo need, drawn at build time: the menu's item
// icons, the tutorial's page indicators and illustrations, and a photo of a printed page
// with a QR code on it.
#include <filesystem>
#include <functional>

#include "vistrel/platform/graphics/canvas.hpp"

namespace artwork {

using platform::graphics::Canvas;
using platform::graphics::Color;
using platform::graphics::Path;
using platform::graphics::Point;
using platform::graphics::Rect;
using platform::graphics::Size;

// Draws a transparent picture of `points` at two pixels per point and writes it as PNG.
bool writeDrawing(const std::filesystem::path& path, Size points, const std::function<void(Canvas&)>& draw);

// "question_mark@2x.png" and "info@2x.png": white glyphs for a round coloured button.
bool writeMenuIcons(const std::filesystem::path& bundle);
// "tuto_page_indicator_0@2x.png" ... "_3": four dots, the k-th filled.
bool writePageIndicators(const std::filesystem::path& bundle);
// The four illustrations of the tutorial's pages.
bool writeTutorialSlides(const std::filesystem::path& bundle);
// "web.png", "calendar.png", "map.png", "phone.png": the sample answer's action icons.
bool writeActionIcons(const std::filesystem::path& folder);
// A JPEG photo of a printed page: a title, lines of text and a QR code holding `address`.
bool writeSamplePage(const std::filesystem::path& file, const char* address);

// Shared strokes: a rounded outline, a circle.
void strokeRounded(Canvas& canvas, const Rect& rect, double radius, Color color, double width);
Path circle(Point centre, double radius);

}  // namespace artwork
