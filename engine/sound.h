// The model of a sound: the settings of every synthesis block of a timbre. Programs store it,
// timbres load it into their voices and effect units and give it back.
#pragma once

#include "dsp/combination_stage.h"
#include "dsp/effect_unit.h"
#include "dsp/loop_envelope.h"
#include "dsp/mod_oscillator.h"
#include "dsp/mod_section.h"
#include "dsp/oscillator.h"
#include "dsp/shaper_table.h"
#include "engine/timbre_settings.h"
#include "engine/voice_settings.h"

#include <array>

namespace quorvix {

// One modulation section: its two modulation oscillators, two loop envelopes and combiners.
struct CModulationSettings {
    std::array<CModOscillatorSettings, 2> oscillators;
    std::array<CEnvelopeShape, 2> envelopes;
    CCombinerSet combiners;

    bool operator==(const CModulationSettings&) const = default;
};

struct CSound {
    std::array<COscillatorSettings, kOscillatorCount> oscillators;
    CCombinationSettings combination;
    COversamplingSettings oversampling;
    CModulationSettings oscillatorModulation;
    CShaperTableSettings shaperTable; // shapes, parameter and smooth; the limiter is in shaper
    CShaperVoiceSettings shaper;
    CFilterSettings filter;
    CModulationSettings filterModulation;
    CEnvelopeShape amplitudeEnvelope;
    CLevelSettings level;
    int portamentoSync = 0;
    std::array<CEffectSettings, kEffectUnitCount> effects;

    bool operator==(const CSound&) const = default;
};

// The "Init" sound: every block at its defaults.
const CSound& initSound();

} // namespace quorvix
