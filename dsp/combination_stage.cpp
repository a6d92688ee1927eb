#include "dsp/combination_stage.h"

namespace quorvix {

void CCombinationStage::setWeight(int i, float v, bool modulated)
{
    m_weight[static_cast<size_t>(i)] = v;
    if (!modulated)
        m_weightEff[static_cast<size_t>(i)] = v;
}

void CCombinationStage::noteStart()
{
    m_holdCounterA = 0;
    m_holdCounterB = 0;
    m_heldB = 0.0f;
    m_weightEff = m_weight;
}

} // namespace quorvix
