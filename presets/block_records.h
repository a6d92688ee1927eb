// The tagged records in which oscillators, modulation oscillators, loop envelopes and combiner
// sets store themselves inside programs. Loading reads every version still found in stored
// songs; a wrong tag, a refused version or a short record loads nothing and returns false.
#pragma once

#include <cstdint>
#include <vector>

namespace quorvix {

class COscillator;
class CModOscillator;
class CLoopEnvelope;
class CModSection;

std::vector<uint8_t> storeOscillator(const COscillator& osc);
bool loadOscillator(const std::vector<uint8_t>& record, COscillator& osc);

std::vector<uint8_t> storeModOscillator(const CModOscillator& osc);
bool loadModOscillator(const std::vector<uint8_t>& record, CModOscillator& osc);

std::vector<uint8_t> storeEnvelope(const CLoopEnvelope& envelope);
bool loadEnvelope(const std::vector<uint8_t>& record, CLoopEnvelope& envelope);

// Combiners that the record does not hold keep their settings.
std::vector<uint8_t> storeCombiners(const CModSection& section);
bool loadCombiners(const std::vector<uint8_t>& record, CModSection& section);

} // namespace quorvix
