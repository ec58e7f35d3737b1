#include "vistrel/platform/graphics/area_averaging.hpp"

#include <algorithm>

namespace platform::graphics {

namespace {

// Adds the bytes of a row, each times the weight, to the sums.
void addWeighted(std::uint32_t* __restrict sums, const std::uint8_t* __restrict bytes, std::size_t count,
                 std::uint32_t weight) {
    for (std::size_t i = 0; i < count; ++i) sums[i] += bytes[i] * weight;
}

}  // namespace

AreaAverager::AreaAverager(int width, int height, Bitmap& out)
    : width_(width), height_(height), out_(out), column_(std::size_t(width)), share_(std::size_t(width)),
      sums_(std::size_t(width) * 4), acc_(std::size_t(out.width()) * 4) {
    const auto outWidth = static_cast<std::uint64_t>(out.width());
    for (std::size_t x = 0; x < column_.size(); ++x) {
        const std::uint64_t start = x * outWidth;
        const std::uint64_t column = start / std::uint64_t(width);
        column_[x] = static_cast<int>(column);
        share_[x] = static_cast<std::uint32_t>(std::min((column + 1) * std::uint64_t(width), start + outWidth) - start);
    }
}

void AreaAverager::addRow(const std::uint32_t* pixels) {
    if (row_ >= height_) return;
    const auto outHeight = static_cast<std::uint64_t>(out_.height());
    const std::uint64_t start = std::uint64_t(row_++) * outHeight, end = start + outHeight;
    const std::uint64_t boundary = std::uint64_t(outRow_ + 1) * std::uint64_t(height_);
    const auto inside = static_cast<std::uint32_t>(std::min(end, boundary) - start);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pixels);
    addWeighted(sums_.data(), bytes, sums_.size(), inside);
    if (end < boundary) return;
    finishOutputRow();
    if (end > boundary) addWeighted(sums_.data(), bytes, sums_.size(), static_cast<std::uint32_t>(end - boundary));
}

void AreaAverager::finishOutputRow() {
    std::fill(acc_.begin(), acc_.end(), 0);
    const std::uint32_t outWidth = static_cast<std::uint32_t>(out_.width());
    for (std::size_t x = 0; x < column_.size(); ++x) {
        std::uint64_t* to = &acc_[std::size_t(column_[x]) * 4];
        const std::uint32_t* from = &sums_[x * 4];
        const std::uint32_t share = share_[x], rest = outWidth - share;
        for (int c = 0; c < 4; ++c) to[c] += std::uint64_t(from[c]) * share;
        if (rest)
            for (int c = 0; c < 4; ++c) to[4 + c] += std::uint64_t(from[c]) * rest;
    }
    const std::uint64_t area = std::uint64_t(width_) * std::uint64_t(height_);
    auto* row = reinterpret_cast<std::uint8_t*>(out_.data() + std::size_t(outRow_) * std::size_t(out_.width()));
    for (std::size_t i = 0; i < acc_.size(); ++i) row[i] = static_cast<std::uint8_t>((acc_[i] + area / 2) / area);
    std::fill(sums_.begin(), sums_.end(), 0);
    ++outRow_;
}

}  // namespace platform::graphics
