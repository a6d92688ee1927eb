#include "dsp/fourier_analyser.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace quorvix {

CFourierAnalyser::CFourierAnalyser(int size)
    : m_size(size), m_window(static_cast<size_t>(size)), m_twiddles(static_cast<size_t>(size / 2)),
      m_work(static_cast<size_t>(size))
{
    const double twoPi = 2.0 * std::numbers::pi;
    double sum = 0.0;
    for (int i = 0; i < size; ++i) {
        m_window[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * i / size));
        sum += m_window[static_cast<size_t>(i)];
    }
    // A sine of amplitude 1 reads 1 at its bin: the window's gain and the one-sided half.
    for (float& w : m_window)
        w = static_cast<float>(w * 2.0 / sum);
    for (int k = 0; k < size / 2; ++k)
        m_twiddles[static_cast<size_t>(k)] = std::polar(1.0, -twoPi * k / size);
}

void CFourierAnalyser::analyse(const float* samples, std::vector<float>& magnitudes)
{
    const size_t n = static_cast<size_t>(m_size);
    for (size_t i = 0, j = 0; i < n; ++i) {
        m_work[j] = samples[i] * m_window[i];
        // bit-reversed order
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j |= bit;
    }
    for (size_t half = 1; half < n; half <<= 1) {
        const size_t stride = n / (2 * half);
        for (size_t start = 0; start < n; start += 2 * half)
            for (size_t k = 0; k < half; ++k) {
                const std::complex<double> t = m_twiddles[k * stride] * m_work[start + k + half];
                m_work[start + k + half] = m_work[start + k] - t;
                m_work[start + k] += t;
            }
    }
    magnitudes.resize(n / 2 + 1);
    for (size_t k = 0; k <= n / 2; ++k)
        magnitudes[k] = static_cast<float>(std::abs(m_work[k]));
}

} // namespace quorvix
