#pragma once
// Averages of blocks of factor x factor pixels (those at the right and bottom edges over
// the pixels they have), fed one input row at a time (internal to platform/graphics).
// A large reduction starts with this cheap step; fed row by row, a picture never needs
// to be held whole, only one row of column sums. Values are averaged per byte, which is
// right for premultiplied pixels.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::graphics {

struct Reduced {
    std::vector<std::uint8_t> bytes;  // rows of width * channels bytes, no padding
    int width = 0, height = 0;
};

template <int channels>
class BlockAverager {
public:
    // Throws std::bad_alloc when the memory cannot be had. A factor below 1 counts as 1.
    BlockAverager(int width, int height, int factor)
        : width_(width), height_(height), factor_(std::max(1, factor)),
          columns_(std::size_t(width) * channels) {
        out_.width = (width + factor_ - 1) / factor_;
        out_.height = (height + factor_ - 1) / factor_;
        out_.bytes.resize(std::size_t(out_.width) * channels * std::size_t(out_.height));
    }

    // The next input row: width * channels bytes. Rows past the height are ignored.
    void addRow(const std::uint8_t* __restrict line) {
        if (band_ >= out_.height) return;
        // Sums down the columns of one band of rows first (a plain run over memory),
        // then across each block of those sums once the band is complete.
        std::uint32_t* __restrict sums = columns_.data();
        const std::size_t values = columns_.size();
        for (std::size_t i = 0; i < values; ++i) sums[i] += line[i];
        if (++rowsInBand_ == bandRows()) finishBand();
    }

    // The averages; complete once every input row was added.
    Reduced take() { return std::move(out_); }

private:
    int bandRows() const { return std::min(factor_, height_ - band_ * factor_); }

    void finishBand() {
        const int rows = bandRows();
        std::uint8_t* row = &out_.bytes[std::size_t(out_.width) * channels * std::size_t(band_)];
        for (int ox = 0; ox < out_.width; ++ox) {
            const int cols = std::min(factor_, width_ - ox * factor_);
            const std::uint64_t count = std::uint64_t(rows) * std::uint64_t(cols);
            const std::uint32_t* block = &columns_[std::size_t(ox) * factor_ * channels];
            for (int c = 0; c < channels; ++c) {
                std::uint64_t sum = 0;
                for (int j = 0; j < cols; ++j) sum += block[std::size_t(j) * channels + c];
                row[std::size_t(ox) * channels + c] = static_cast<std::uint8_t>((sum + count / 2) / count);
            }
        }
        std::fill(columns_.begin(), columns_.end(), 0);
        rowsInBand_ = 0;
        ++band_;
    }

    int width_, height_, factor_;
    std::vector<std::uint32_t> columns_;
    Reduced out_;
    int band_ = 0;
    int rowsInBand_ = 0;
};

// The whole picture at once: rows `stride` bytes apart.
template <int channels>
Reduced boxReduced(const std::uint8_t* in, int width, int height, int stride, int factor) {
    BlockAverager<channels> averager(width, height, factor);
    for (int y = 0; y < height; ++y) averager.addRow(in + std::size_t(y) * stride);
    return averager.take();
}

}  // namespace platform::graphics
