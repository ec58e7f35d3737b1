#pragma once
// The gallery over thirty records whose photo files are not what the kit wrote: the kit's
// own photos first, then the same records with PNG files of 8192 x 8192 pixels, then with
// progressive JPEG files of 8000 x 8000. Each time a fresh gallery is opened and scrolled
// to its end, waiting on each screen for its cards' pictures, with the main thread
// watched and the peak memory taken, one line each, drawn as hostile-gallery-kit.png,
// hostile-gallery-png.png and hostile-gallery-progressive.png. With the kit's photos and
// the PNGs, the first card is then tapped, its photo read as the gallery reads it to
// send it again, with the main thread watched.
#include <filesystem>

namespace platform::graphics {
class Image;
}

void hostilePhotoFiles(const platform::graphics::Image& photo, const std::filesystem::path& out);
