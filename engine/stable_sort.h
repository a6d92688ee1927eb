// A stable merge sort into caller-owned scratch space, so sorting on the audio thread never allocates.
#pragma once

#include <algorithm>

namespace quorvix {

template <typename T, typename Less>
void stableSort(T* data, T* scratch, int count, Less less)
{
    for (int width = 1; width < count; width *= 2) {
        for (int left = 0; left < count; left += 2 * width) {
            const int middle = std::min(left + width, count);
            const int right = std::min(left + 2 * width, count);
            std::merge(data + left, data + middle, data + middle, data + right, scratch + left, less);
        }
        std::copy(scratch, scratch + count, data);
    }
}

} // namespace quorvix
