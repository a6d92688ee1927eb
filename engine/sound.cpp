#include "engine/sound.h"

namespace quorvix {

namespace {

CModulationSettings defaultModulation()
{
    const CEnvelopeShape envelope = CLoopEnvelope(EEnvelopeKind::Modulation).storedShape();
    return {{CModOscillator().settings(), CModOscillator().settings()}, {envelope, envelope}, CCombinerSet {}};
}

CSound makeInitSound()
{
    CSound s;
    s.oscillators[1].wave1 = s.oscillators[2].wave1 = 0; // oscillator 1 plays a square, the others are silent
    s.oscillatorModulation = defaultModulation();
    s.filterModulation = defaultModulation();
    s.amplitudeEnvelope = CLoopEnvelope(EEnvelopeKind::Amplitude).storedShape();
    return s;
}

} // namespace

const CSound& initSound()
{
    static const CSound sound = makeInitSound();
    return sound;
}

} // namespace quorvix
