#include "vistrel/platform/ui/collection_view_flow_layout.hpp"

#include <algorithm>
#include <cmath>

#include "vistrel/platform/ui/collection_view.hpp"

namespace platform::ui {

namespace {

double usable(double value) { return std::isfinite(value) && value > 0 ? value : 0; }
Size usable(Size size) { return {usable(size.width), usable(size.height)}; }
EdgeInsets usable(const EdgeInsets& i) { return {usable(i.top), usable(i.left), usable(i.bottom), usable(i.right)}; }

}  // namespace

CollectionViewFlowLayout::Result CollectionViewFlowLayout::layout(CollectionView& view, CollectionViewDelegate* delegate,
                                                                  const std::vector<int>& itemCounts,
                                                                  double width) const {
    Result result;
    double y = 0;
    for (int s = 0; s < static_cast<int>(itemCounts.size()); ++s) {
        const auto ask = [&](auto answer, auto fallback) { return answer ? *answer : fallback; };
        const EdgeInsets inset = usable(ask(delegate ? delegate->insetForSectionAt(view, *this, s) : std::nullopt,
                                            sectionInset_));
        const double lineSpacing = usable(
            ask(delegate ? delegate->minimumLineSpacingForSectionAt(view, *this, s) : std::nullopt, lineSpacing_));
        const double itemSpacing = usable(ask(
            delegate ? delegate->minimumInteritemSpacingForSectionAt(view, *this, s) : std::nullopt, itemSpacing_));
        auto& frames = result.frames.emplace_back();
        frames.reserve(static_cast<std::size_t>(itemCounts[static_cast<std::size_t>(s)]));
        y += inset.top;
        const double right = width - inset.right;
        double x = inset.left, lineHeight = 0;
        std::size_t lineStart = 0;
        // Centres the items of the current line in its height.
        const auto closeLine = [&] {
            for (std::size_t i = lineStart; i < frames.size(); ++i)
                frames[i].origin.y += (lineHeight - frames[i].height()) / 2;
        };
        for (int i = 0; i < itemCounts[static_cast<std::size_t>(s)]; ++i) {
            const Size size = usable(
                ask(delegate ? delegate->sizeForItemAt(view, *this, IndexPath{s, i}) : std::nullopt, itemSize_));
            if (frames.size() > lineStart && x + size.width > right) {
                closeLine();
                y += lineHeight + lineSpacing;
                x = inset.left;
                lineHeight = 0;
                lineStart = frames.size();
            }
            frames.push_back({x, y, size.width, size.height});
            x += size.width + itemSpacing;
            lineHeight = std::max(lineHeight, size.height);
        }
        closeLine();
        y += lineHeight + inset.bottom;
    }
    result.contentSize = {width, y};
    return result;
}

}  // namespace platform::ui
