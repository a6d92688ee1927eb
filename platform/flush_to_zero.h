// Flush-to-zero and denormals-are-zero for the lifetime of the guard (one process call).
#pragma once

#include <cstdint>

namespace quorvix::platform {

class CScopedFlushToZero {
public:
    CScopedFlushToZero();
    ~CScopedFlushToZero();

    CScopedFlushToZero(const CScopedFlushToZero&) = delete;
    CScopedFlushToZero& operator=(const CScopedFlushToZero&) = delete;

private:
    uint32_t m_saved;
};

} // namespace quorvix::platform
