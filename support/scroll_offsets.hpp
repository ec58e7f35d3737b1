#pragma once
// The offsets a list is scrolled through a screen at a time: down to its end and, when
// asked, back up to its top.
#include <algorithm>
#include <vector>

#include "vistrel/platform/ui/scroll_view.hpp"

namespace testsupport {

inline std::vector<double> screensDown(const platform::ui::ScrollView& list, bool andBack = false) {
    const double end = list.maximumContentOffset().y, step = list.bounds().height();
    std::vector<double> offsets;
    if (step <= 0) return offsets;
    for (double y = step; y < end + step; y += step) offsets.push_back(std::min(y, end));
    if (andBack)
        for (double y = end - step; y > -step; y -= step) offsets.push_back(std::max(y, 0.0));
    return offsets;
}

}  // namespace testsupport
