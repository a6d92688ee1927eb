#include "presets/program.h"

#include "dsp/loop_envelope.h"
#include "dsp/mod_oscillator.h"
#include "dsp/mod_section.h"
#include "dsp/oscillator.h"
#include "presets/block_records.h"

#include <mutex>

namespace quorvix {

namespace {

std::mutex gClipboardMutex;
std::shared_ptr<CProgram> gClipboard;
int gInstances = 0;

int clampProgram(int index) { return index < 0 ? 0 : (index >= kProgramCount ? kProgramCount - 1 : index); }

CModulationRecords defaultModulation(ESectionKind kind)
{
    const CModOscillator osc;
    const CLoopEnvelope envelope(EEnvelopeKind::Modulation);
    const CModSection section(kind);
    return {storeModOscillator(osc), storeModOscillator(osc), storeEnvelope(envelope), storeEnvelope(envelope),
            storeCombiners(section)};
}

// The records of the default blocks, built once.
struct CInitRecords {
    std::array<CRecordBytes, 3> oscillators;
    CModulationRecords oscillatorModulation = defaultModulation(ESectionKind::Oscillator);
    CModulationRecords filterModulation = defaultModulation(ESectionKind::Filter);
    CRecordBytes amplitudeEnvelope = storeEnvelope(CLoopEnvelope(EEnvelopeKind::Amplitude));

    CInitRecords()
    {
        COscillator osc; // waves 1 and 0
        osc.clock().setKind(0);
        oscillators[0] = storeOscillator(osc);
        osc.setWaves(0, 0);
        oscillators[1] = oscillators[2] = storeOscillator(osc);
    }
};

const CInitRecords& initRecords()
{
    static const CInitRecords records;
    return records;
}

} // namespace

CProgram::CProgram()
    : oscillators(initRecords().oscillators), oscillatorModulation(initRecords().oscillatorModulation),
      filterModulation(initRecords().filterModulation), amplitudeEnvelope(initRecords().amplitudeEnvelope)
{
}

const CProgram& fallbackProgram()
{
    static const CProgram program;
    return program;
}

CProgram& CBank::getProgramPtr(int index) { return m_programs[clampProgram(index)]; }

const CProgram& CBank::getProgramPtr(int index) const { return m_programs[clampProgram(index)]; }

bool CBank::contains(const CProgram* program) const
{
    return program >= m_programs.data() && program < m_programs.data() + kProgramCount;
}

std::shared_ptr<CProgram> acquireClipboard()
{
    std::lock_guard lock(gClipboardMutex);
    if (gInstances == 0)
        gClipboard = std::make_shared<CProgram>();
    ++gInstances;
    return gClipboard;
}

void releaseClipboard()
{
    std::lock_guard lock(gClipboardMutex);
    if (gInstances > 0 && --gInstances == 0)
        gClipboard.reset();
}

int instanceCount()
{
    std::lock_guard lock(gClipboardMutex);
    return gInstances;
}

} // namespace quorvix
