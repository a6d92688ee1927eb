#include "platform/flush_to_zero.h"

#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace quorvix::platform {

namespace {
#if defined(__x86_64__) || defined(__i386__)
constexpr uint32_t kFlushToZero = 0x8000;
constexpr uint32_t kDenormalsAreZero = 0x0040;
#endif
} // namespace

CScopedFlushToZero::CScopedFlushToZero()
{
#if defined(__x86_64__) || defined(__i386__)
    m_saved = _mm_getcsr();
    _mm_setcsr(m_saved | kFlushToZero | kDenormalsAreZero);
#else
    m_saved = 0;
#endif
}

CScopedFlushToZero::~CScopedFlushToZero()
{
#if defined(__x86_64__) || defined(__i386__)
    _mm_setcsr(m_saved);
#endif
}

} // namespace quorvix::platform
