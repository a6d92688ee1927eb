#include "dsp/line_storage.h"

#include <algorithm>
#include <new>

namespace quorvix {

namespace {
constexpr int kGrowthStep = 1000;
} // namespace

int CLineStorage::request(int cells, bool mayGrow)
{
    m_wanted = std::max(cells, 0);
    m_failed = false;
    if (m_wanted > capacity() && mayGrow)
        m_failed = !grow(m_wanted);
    const int length = std::min(m_wanted, capacity());
    std::fill(m_cells.begin(), m_cells.begin() + length, 0.0f);
    return length;
}

void CLineStorage::reserve(int cells)
{
    if (cells > capacity())
        grow(cells);
}

bool CLineStorage::grow(int cells)
{
    try {
        m_cells.assign(static_cast<size_t>((cells / kGrowthStep + 1) * kGrowthStep), 0.0f);
        return true;
    } catch (const std::bad_alloc&) {
        m_unreported = true;
        return false;
    }
}

bool CLineStorage::takeFailure()
{
    const bool failed = m_unreported;
    m_unreported = false;
    return failed;
}

} // namespace quorvix
