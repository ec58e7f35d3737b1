#pragma once
// The gallery over thirty records whose photo files are not what the kit wrote: the kit's
// own photos first, then the same records in hosts' stores (one that keeps its photos
// itself, one that reads each afresh as a full-size picture of its own, with how many of
// those the gallery held at once, one that answers the photo it keeps under another key,
// one whose getPicture throws for one record), then with PNG files of 8192 x 8192
// pixels, progressive JPEG files of 8000 x 8000, progressive JPEGs of endless scans, GIFs
// of endless clear codes and the kit's JPEGs padded with 250 MB of zeros. Each time a
// fresh gallery is opened and scrolled to its end, waiting on each screen for its cards'
// pictures, with the main thread watched and the peak memory taken, one line each, drawn
// as hostile-gallery-<kind>.png. Where the cards show pictures, the first card is tapped
// as soon as the gallery shows, its photo read as the gallery reads it to send it again,
// with the main thread watched.
#include <filesystem>

namespace platform::graphics {
class Image;
}

void hostilePhotoFiles(const platform::graphics::Image& photo, const std::filesystem::path& out);
