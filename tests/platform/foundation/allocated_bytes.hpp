#pragma once
// The bytes this test program holds through operator new (allocated_bytes.cpp replaces
// it in this program only): the most it held since the count was started again. What the
// sanitizers keep beside each block is not counted, so the figure is the same in every
// build.
#include <cstddef>

namespace testsupport {

void restartPeakAllocatedBytes();
std::size_t peakAllocatedBytes();

}  // namespace testsupport
