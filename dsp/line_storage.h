// Sample storage of the delay lines: grows only where growing is allowed (never on the audio
// thread), in steps of 1000 cells, and otherwise keeps lengths within what it holds.
#pragma once

#include <vector>

namespace quorvix {

class CLineStorage {
public:
    // Cells in use after a request for n, all zero; fewer when the storage could not grow.
    int request(int cells, bool mayGrow);
    // Grows the storage to hold cells (off the audio thread), so later requests up to that many
    // never need to allocate; the cells in use are zeroed.
    void reserve(int cells);
    // A request could not be met because growing was not allowed or memory ran out.
    bool isShort() const { return m_wanted > capacity(); }
    // Short, and growing has not failed for the current request.
    bool needsGrowth() const { return isShort() && !m_failed; }
    // True once after a failed allocation.
    bool takeFailure();
    int wanted() const { return m_wanted; }

    float* data() { return m_cells.data(); }
    const float* data() const { return m_cells.data(); }
    int capacity() const { return static_cast<int>(m_cells.size()); }

private:
    bool grow(int cells);

    std::vector<float> m_cells;
    int m_wanted = 0;
    bool m_failed = false;
    bool m_unreported = false;
};

} // namespace quorvix
