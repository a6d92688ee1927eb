// Magnitude spectra of stretches of a signal (a Hann window and a radix-2 FFT), for looking at and
// measuring sounds: contact sheets and the tests of the factory banks. Not used while playing.
#pragma once

#include <complex>
#include <vector>

namespace quorvix {

class CFourierAnalyser {
public:
    // size is a power of two.
    explicit CFourierAnalyser(int size);

    int size() const { return m_size; }
    // Magnitudes of bins 0..size/2 of size samples; a full-scale sine gives about 1 at its bin.
    void analyse(const float* samples, std::vector<float>& magnitudes);
    double binFrequency(int bin, double sampleRate) const { return bin * sampleRate / m_size; }

private:
    int m_size;
    std::vector<float> m_window;
    std::vector<std::complex<double>> m_twiddles;
    std::vector<std::complex<double>> m_work;
};

} // namespace quorvix
