// One voice of a timbre: voice 0 plays the mono channel and holds the master copy of the parameters.
#pragma once

#include "dsp/feedback_line.h"
#include "dsp/oscillator.h"
#include "dsp/wave_table.h"
#include "engine/voice_settings.h"

#include <array>

namespace quorvix {

class CVoice {
public:
    CVoice();
    CVoice(const CVoice&) = delete;
    CVoice& operator=(const CVoice&) = delete;

    COscillator& oscillator(int i) { return m_oscillators[static_cast<size_t>(i)]; }
    const COscillator& oscillator(int i) const { return m_oscillators[static_cast<size_t>(i)]; }

    CVoiceSettings& settings() { return m_settings; }
    const CVoiceSettings& settings() const { return m_settings; }

private:
    CWaveTableReference m_tables;
    CFeedbackLine m_feedback;
    std::array<COscillator, kOscillatorCount> m_oscillators;
    CVoiceSettings m_settings;
};

} // namespace quorvix
