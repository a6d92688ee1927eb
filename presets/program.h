// Programs, the bank of 64 and the process-wide clipboard program.
#pragma once

#include "dsp/effect_unit.h"
#include "engine/timbre_settings.h"
#include "engine/voice_settings.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvix {

constexpr int kProgramCount = 64;
constexpr size_t kMaxProgramName = 24;

using CRecordBytes = std::vector<uint8_t>;

// The records of one modulation section: its two oscillators, two envelopes and combiner set.
struct CModulationRecords {
    CRecordBytes oscillator1, oscillator2, envelope1, envelope2, combiners;
};

// The complete sound of a timbre: a name and the engine values of every sound parameter. The
// synthesis blocks keep their settings as their own records.
struct CProgram {
    // The "Init" program.
    CProgram();

    void setName(const std::string& name) { this->name = name.substr(0, kMaxProgramName); }

    std::string name = "Init";
    std::array<CRecordBytes, 3> oscillators;
    std::array<float, 3> weights = {1.0f, 1.0f, 1.0f};
    int mix12 = 0;
    int mix312 = 0;
    COversamplingSettings oversampling;
    CModulationRecords oscillatorModulation;
    CShaperTableSettings shaperTable; // shapes, parameter and smooth; the limiter is in shaper
    CShaperVoiceSettings shaper;
    CFilterSettings filter;
    CModulationRecords filterModulation;
    CRecordBytes amplitudeEnvelope;
    CLevelSettings level;
    int portamentoSync = 0;
    std::array<CEffectValues, 2> effects;
};

class CBank {
public:
    // index is clamped to 0..63.
    CProgram& getProgramPtr(int index);
    const CProgram& getProgramPtr(int index) const;
    bool contains(const CProgram* program) const;

private:
    std::array<CProgram, kProgramCount> m_programs;
};

// An "Init" program that is never stored into, for when the bank storage is missing.
const CProgram& fallbackProgram();

// The clipboard is shared by every instance of the process: the first acquires it, the last releases it.
std::shared_ptr<CProgram> acquireClipboard();
void releaseClipboard();
int instanceCount();

} // namespace quorvix
