#include "editor/toolkit/filmstrip_knob.h"

#include <cmath>

namespace quorvix {

CFilmstripKnob::CFilmstripKnob(const CRect& size, CValueListener* listener, int32_t tag, int imageCount,
                               int imageHeight, CSkinImage* background, CPoint offset, bool inverse)
    : CRotaryKnob(size, listener, tag, background, nullptr, offset), m_imageCount(imageCount),
      m_imageHeight(imageHeight), m_inverse(inverse)
{
}

int CFilmstripKnob::imageIndex() const
{
    const float position = m_inverse ? 1.0f - m_value : m_value;
    const int index = static_cast<int>(std::floor(position * static_cast<float>(m_imageCount - 1)));
    return std::clamp(index, 0, std::max(m_imageCount - 1, 0));
}

void CFilmstripKnob::draw(CPainter& painter)
{
    if (m_value >= 0.0f)
        drawImage(painter, m_background, m_backgroundOffset.offset(0, imageIndex() * m_imageHeight));
    setDirty(false);
}

} // namespace quorvix
