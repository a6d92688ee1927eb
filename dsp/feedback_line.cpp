#include "dsp/feedback_line.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {
constexpr float kMinFeedbackFrequency = 0.05f;
constexpr float kClip = 10.0f;
} // namespace

void CFeedbackLine::start(float frequency, float sampleRate)
{
    const float f = std::max(std::min(frequency, sampleRate / 2.0f), kMinFeedbackFrequency);
    // Very low notes would need more than the line holds; they get the whole line.
    const double cells = std::floor(static_cast<double>(sampleRate) / f + 0.5);
    m_length = static_cast<int>(std::clamp(cells, double(kMinFeedbackLength), double(kFeedbackLineLength)));
    m_read = 0;
    m_write = 0;
}

void CFeedbackLine::write(float x)
{
    float v = 2.0f * (std::fabs(x + kClip) - std::fabs(x - kClip));
    if (isTiny(v))
        v = 0.0f;
    m_buffer[static_cast<size_t>(m_write)] = v;
    m_write = m_write + 1 >= m_length ? 0 : m_write + 1;
}

void CFeedbackLine::clear()
{
    m_buffer.fill(0.0f);
    m_read = 0;
    m_write = 0;
}

} // namespace quorvix
