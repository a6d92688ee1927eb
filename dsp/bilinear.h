// The bilinear transform of an analog pole pair into the coefficients of a two-pole section
// y = g (x + 2x1 + x2) + a1 y1 + a2 y2 (or its high-pass numerator).
#pragma once

#include <complex>

namespace quorvix {

// z = (2 + T p) / (2 - T p), T = tan(pi f / sample rate) (prewarped).
template <typename T>
std::complex<T> bilinearPole(std::complex<T> pole, T t)
{
    return (T(2) + t * pole) / (T(2) - t * pole);
}

template <typename T>
struct CSectionCoefficients {
    T a1;
    T a2;
    std::complex<T> z1;
    std::complex<T> z2;
};

// The conjugate pair of a prototype pole as feedback coefficients.
template <typename T>
CSectionCoefficients<T> sectionCoefficients(std::complex<T> pole, T t)
{
    const std::complex<T> z1 = bilinearPole(pole, t);
    const std::complex<T> z2 = bilinearPole(std::conj(pole), t);
    return {z1.real() + z2.real(), -(z1.real() * z2.real() - z1.imag() * z2.imag()), z1, z2};
}

} // namespace quorvix
