#include "dsp/main_filter.h"

namespace quorvix {

namespace {
constexpr int kBandPass = 7;
} // namespace

CMainFilter::CMainFilter() { setType(0); }

void CMainFilter::setSampleRate(float rate)
{
    m_stageA.setSampleRate(rate);
    m_stageB.setSampleRate(rate);
}

void CMainFilter::setType(int type)
{
    m_stageA.setTypeAsStageA(type);
    m_stageB.setTypeAsStageB(type);
    // The double types (Butterworth low and high) and the notch add stage B; the band-pass chains it.
    switch (type) {
    case 2:
    case 5:
    case 8:
        m_combination = ECombination::SideBySide;
        break;
    case kBandPass:
        m_combination = ECombination::Series;
        break;
    default:
        m_combination = ECombination::StageA;
        break;
    }
}

void CMainFilter::setSections(int sections)
{
    m_stageA.setSections(sections);
    m_stageB.setSections(sections);
}

void CMainFilter::setParameter(float p)
{
    m_stageA.setParameter(stageAParameter(p));
    m_stageB.setParameter(p);
}

void CMainFilter::setFrequency(double hz)
{
    m_stageA.setFrequency(hz);
    m_stageB.setFrequency(hz);
}

void CMainFilter::clear()
{
    m_stageA.clear();
    m_stageB.clear();
}

void CMainFilter::run(float* x, int n)
{
    switch (m_combination) {
    case ECombination::SideBySide:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageB.tick(x[i]) + m_stageA.tick(x[i]);
        return;
    case ECombination::Series:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageB.tick(m_stageA.tick(x[i]));
        return;
    case ECombination::StageA:
        for (int i = 0; i < n; ++i)
            x[i] = m_stageA.tick(x[i]);
        return;
    }
}

} // namespace quorvix
