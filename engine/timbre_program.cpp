// Programs into and out of a timbre: the master voice loads the sound, the poly voices copy its
// modules, and every voice takes the sound's values.
#include "engine/timbre.h"

#include <algorithm>

namespace quorvix {

namespace {

constexpr int kLastProgram = kProgramCount - 1;
const std::string kInitName = "Init";

} // namespace

const CSound& CTimbre::storedSound(int program) const
{
    const CProgramSource* programs = m_context ? m_context->programs : nullptr;
    return programs ? programs->programSound(program) : initSound();
}

const std::string& CTimbre::storedName(int program) const
{
    const CProgramSource* programs = m_context ? m_context->programs : nullptr;
    return programs ? programs->programName(program) : kInitName;
}

void CTimbre::loadTimbreValues(const CSound& s)
{
    CShaperTableSettings& shaper = m_settings.shaper;
    shaper = s.shaperTable;
    shaper.limiter = s.shaper.limiter;
    m_shaper.setLimiter(shaper.limiter);
    rebuildShaper();
    for (int u = 0; u < kEffectUnitCount; ++u)
        m_effects[static_cast<size_t>(u)].load(s.effects[static_cast<size_t>(u)], mayAllocate());
}

void CTimbre::loadVoice(CVoice& voice, const CSound& s, const CVoice* loaded)
{
    if (loaded) {
        voice.copyModulesFrom(*loaded);
        voice.loadSoundValues(s);
    } else {
        voice.loadSound(s);
    }
}

void CTimbre::loadSound(const CSound& s)
{
    CVoice& master = m_voices[kMonoVoice];
    loadVoice(master, s, nullptr);
    for (int i = 1; i < kVoiceCount; ++i)
        loadVoice(m_voices[static_cast<size_t>(i)], s, &master);
    loadTimbreValues(s);
}

CSound CTimbre::sound() const
{
    CSound s;
    m_voices[kMonoVoice].storeSound(s);
    s.shaperTable = m_settings.shaper;
    for (int u = 0; u < kEffectUnitCount; ++u)
        s.effects[static_cast<size_t>(u)] = m_effects[static_cast<size_t>(u)].settings();
    return s;
}

void CTimbre::changeProgram(int program)
{
    m_programNumber = std::clamp(program, 0, kLastProgram);
    m_noteCounter = 0;
    for (CClock& c : m_clocks)
        c = CClock {};
    resetVoices();
    clearEffects();
    reloadProgram();
}

void CTimbre::reloadProgram()
{
    setProgramName(storedName(m_programNumber));
    loadSound(storedSound(m_programNumber));
}

void CTimbre::voiceProgramChange(CVoice& voice, int program, int position)
{
    m_programChangePosition = position;
    m_programNumber = std::clamp(program, 0, kLastProgram);
    m_clocks[0].restartAt(position, beatsPerVoiceSample());
    m_clocks[1].restartAt(position, secondsPerVoiceSample());
    m_clocks[2] = CClock {};
    m_clocks[3] = CClock {};
    // The mono voice renders first: the poly voices copy what it loaded when it holds this program.
    const CSound& s = storedSound(m_programNumber);
    CVoice& master = m_voices[kMonoVoice];
    if (&voice == &master) {
        loadVoice(master, s, nullptr);
        setProgramName(storedName(m_programNumber));
        loadTimbreValues(s);
        m_masterProgram = m_programNumber;
    } else {
        loadVoice(voice, s, m_masterProgram == m_programNumber ? &master : nullptr);
    }
}

} // namespace quorvix
