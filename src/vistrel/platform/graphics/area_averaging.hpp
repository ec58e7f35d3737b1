#pragma once
// A picture reduced to any smaller size by area averages, fed one input row at a time
// (internal to platform/graphics): each output pixel is the mean of the input area it
// covers, an input pixel cut by its edges counting by the part inside. Only one row of
// column sums is held beside the output, so a picture a little larger than the size
// wanted costs no more than one much larger: never its own pixels. Values are averaged
// per byte, which is right for premultiplied pixels; the arithmetic is exact (integers).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vistrel/platform/graphics/bitmap.hpp"

namespace platform::graphics {

class AreaAverager {
public:
    // From width x height pixels to the size of `out`, which is at most as wide and as
    // high. Throws std::bad_alloc when the memory cannot be had.
    AreaAverager(int width, int height, Bitmap& out);

    // The next input row of width premultiplied pixels. Rows past the height are ignored;
    // `out` is complete once every row was added.
    void addRow(const std::uint32_t* pixels);

private:
    void finishOutputRow();

    int width_, height_;
    Bitmap& out_;
    int row_ = 0, outRow_ = 0;
    // An input pixel is out.width() units wide and out.height() units high, an output
    // pixel width_ and height_ units: the part of an input pixel inside an output pixel is
    // a whole number of units. Input column x goes to output column column_[x] with the
    // weight share_[x], and to the next with the rest.
    std::vector<int> column_;
    std::vector<std::uint32_t> share_;
    std::vector<std::uint32_t> sums_;  // the current output row's weighted column sums
    std::vector<std::uint64_t> acc_;   // its weighted sums, across
};

}  // namespace platform::graphics
