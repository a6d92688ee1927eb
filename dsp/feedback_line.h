// The delay line that the "Feedback" wave replays: the voice's own output one period later.
#pragma once

#include "dsp/denormal.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvix {

constexpr int kFeedbackLineLength = 50000;
constexpr int kMinFeedbackLength = 6;

class CFeedbackLine {
public:
    // Called at note start with the oscillator's frequency in Hz and the voice rate.
    void start(float frequency, float sampleRate);

    float read() const { return m_buffer[static_cast<size_t>(m_read)]; }
    void advanceRead() { m_read = m_read + 1 >= m_length ? 0 : m_read + 1; }
    // Stores one output sample, clamped to +-10 with a factor of 4 and flushed of denormals.
    void write(float x);
    void clear();

    int length() const { return m_length; }

private:
    std::array<float, kFeedbackLineLength> m_buffer {};
    int m_length = kFeedbackLineLength;
    int m_read = 0;
    int m_write = 0;
};

} // namespace quorvix
