#include "engine/voice.h"

namespace quorvix {

namespace {
constexpr int kMidiSyncKind = 0;
// Held from library load to unload, so instances coming and going never regenerate the tables.
const CWaveTableReference gLibraryTables;
} // namespace

CVoice::CVoice()
    : m_envelopes {CLoopEnvelope(EEnvelopeKind::Modulation), CLoopEnvelope(EEnvelopeKind::Modulation),
                   CLoopEnvelope(EEnvelopeKind::Modulation), CLoopEnvelope(EEnvelopeKind::Modulation),
                   CLoopEnvelope(EEnvelopeKind::Amplitude)}
{
    for (COscillator& osc : m_oscillators) {
        osc.attach(&*m_tables, &m_feedback);
        osc.clock().setKind(kMidiSyncKind);
    }
    // Oscillator 1 plays a square, the others are silent: the "Init" sound.
    m_oscillators[1].setWaves(0, 0);
    m_oscillators[2].setWaves(0, 0);
}

void CVoice::setSampleRate(float rate)
{
    for (COscillator& osc : m_oscillators)
        osc.setSampleRate(rate);
    for (CLoopEnvelope& env : m_envelopes)
        env.setSampleRate(rate);
}

void CVoice::initialize()
{
    m_key = -1;
    m_queue.reset();
    m_queueReset = false;
}

void CVoice::silence() { initialize(); }

} // namespace quorvix
