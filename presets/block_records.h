// The tagged records in which oscillators, modulation oscillators, loop envelopes and combiner
// sets store themselves inside programs. Loading reads every version still found in stored
// songs (the program's one check limits the values afterwards); a wrong tag, a refused version
// or a short record loads nothing and returns false.
#pragma once

#include "dsp/loop_envelope.h"
#include "dsp/mod_oscillator.h"
#include "dsp/mod_section.h"
#include "dsp/oscillator.h"

#include <cstdint>
#include <vector>

namespace quorvix {

std::vector<uint8_t> storeOscillator(const COscillatorSettings& osc);
bool loadOscillator(const std::vector<uint8_t>& record, COscillatorSettings& osc);

std::vector<uint8_t> storeModOscillator(const CModOscillatorSettings& osc);
bool loadModOscillator(const std::vector<uint8_t>& record, CModOscillatorSettings& osc);

std::vector<uint8_t> storeEnvelope(const CEnvelopeShape& shape);
bool loadEnvelope(const std::vector<uint8_t>& record, CEnvelopeShape& shape);

std::vector<uint8_t> storeCombiners(const CCombinerSet& set);
// Combiners that the record does not hold keep their settings.
bool loadCombiners(const std::vector<uint8_t>& record, ESectionKind kind, CCombinerSet& set);

} // namespace quorvix
