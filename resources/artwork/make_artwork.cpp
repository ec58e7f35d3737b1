// Writes the pictures of the build: `make_artwork bundle DIR` draws the bundle's images
// into DIR; `make_artwork sample FILE` writes the sample page photo; `make_artwork icons
// DIR` draws the sample answer's action icons into DIR.
#include <cstdio>
#include <cstring>

#include "artwork.hpp"

namespace {
// The address the sample page's code holds.
constexpr const char* kSampleAddress = "https://example.com/vistrel/sample-page";
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_artwork bundle DIR | sample FILE | icons DIR\n");
        return 2;
    }
    const std::filesystem::path target = argv[2];
    bool written = false;
    if (std::strcmp(argv[1], "bundle") == 0) {
        std::filesystem::create_directories(target);
        written = artwork::writeMenuIcons(target) && artwork::writePageIndicators(target) &&
                  artwork::writeTutorialSlides(target);
    } else if (std::strcmp(argv[1], "sample") == 0) {
        if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path());
        written = artwork::writeSamplePage(target, kSampleAddress);
    } else if (std::strcmp(argv[1], "icons") == 0) {
        std::filesystem::create_directories(target);
        written = artwork::writeActionIcons(target);
    }
    if (!written) std::fprintf(stderr, "make_artwork: could not write %s\n", argv[2]);
    return written ? 0 : 1;
}
