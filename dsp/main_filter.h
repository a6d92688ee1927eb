// The voice's main filter: two pole-filter stages that share frequency and sections. The type
// chooses both designs and how the stages combine: stage A alone, A and B side by side, or A
// into B. The combination is chosen when the type is set; a run of samples follows it.
#pragma once

#include "dsp/pole_filter.h"

namespace quorvix {

class CMainFilter {
public:
    // Type 0 ("None"), one section, 44100 Hz.
    CMainFilter();

    void setSampleRate(float rate);
    // 0..8.
    void setType(int type);
    // 1..8 sections per stage.
    void setSections(int sections);
    // The filter parameter p (0..1): stage A takes -8 p - 1, stage B p itself.
    void setParameter(float p);
    // Hz, after key tracking and modulation.
    void setFrequency(double hz);
    // Zeroes both stages' memories; coefficients stay.
    void clear();

    // Filters n samples in place. The sections work as a wavefront (section k on sample i - k) so
    // that they overlap in the processor; the result is the same, bit for bit, as runReference.
    void run(float* x, int n);
    // The plain form: each sample through every section in turn.
    void runReference(float* x, int n);

    const CPoleFilter& stageA() const { return m_stageA; }
    const CPoleFilter& stageB() const { return m_stageB; }

private:
    enum class ECombination { StageA, SideBySide, Series };

    CPoleFilter m_stageA;
    CPoleFilter m_stageB;
    ECombination m_combination = ECombination::StageA;
};

} // namespace quorvix
