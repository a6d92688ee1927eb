// One voice of a timbre: voice 0 plays the mono channel and holds the master copy of the parameters.
#pragma once

#include "dsp/feedback_line.h"
#include "dsp/loop_envelope.h"
#include "dsp/oscillator.h"
#include "dsp/wave_table.h"
#include "engine/command_queue.h"
#include "engine/voice_settings.h"

#include <array>

namespace quorvix {

enum class EEnvelope { OscMod1, OscMod2, FilterMod1, FilterMod2, Amplitude };
constexpr int kEnvelopeCount = 5;

class CVoice {
public:
    CVoice();
    CVoice(const CVoice&) = delete;
    CVoice& operator=(const CVoice&) = delete;

    // The voice rate: the timbre's quality factor times the host rate.
    void setSampleRate(float rate);
    // No key and a queue of only End.
    void initialize();
    // Drops the running sound and the queue at once.
    void silence();

    COscillator& oscillator(int i) { return m_oscillators[static_cast<size_t>(i)]; }
    const COscillator& oscillator(int i) const { return m_oscillators[static_cast<size_t>(i)]; }
    CLoopEnvelope& envelope(EEnvelope e) { return m_envelopes[static_cast<size_t>(e)]; }
    const CLoopEnvelope& envelope(EEnvelope e) const { return m_envelopes[static_cast<size_t>(e)]; }

    CVoiceSettings& settings() { return m_settings; }
    const CVoiceSettings& settings() const { return m_settings; }

    int key() const { return m_key; }
    void setKey(int key) { m_key = key; }
    CCommandQueue& queue() { return m_queue; }
    const CCommandQueue& queue() const { return m_queue; }
    bool queueResetPending() const { return m_queueReset; }
    void requestQueueReset() { m_queueReset = true; }
    void clearQueueReset() { m_queueReset = false; }
    // Samples of the quick fade at the voice rate.
    int quickFadeLength() const { return envelope(EEnvelope::Amplitude).quickFadeLength(); }

private:
    CWaveTableReference m_tables;
    CFeedbackLine m_feedback;
    std::array<COscillator, kOscillatorCount> m_oscillators;
    std::array<CLoopEnvelope, kEnvelopeCount> m_envelopes;
    CVoiceSettings m_settings;
    int m_key = -1;
    CCommandQueue m_queue;
    bool m_queueReset = false;
};

} // namespace quorvix
