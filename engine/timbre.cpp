#include "engine/timbre.h"

#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kLastProgram = 63;

} // namespace

CTimbre::CTimbre() = default;

void CTimbre::attach(const CEngineContext* context) { m_context = context; }

void CTimbre::initialize()
{
    m_noteCounter = 0;
    m_soundOff = false;
    for (CVoice& v : m_voices)
        v.initialize();
}

void CTimbre::resetVoices()
{
    for (CVoice& v : m_voices)
        v.silence();
}

void CTimbre::setSampleRate(float rate)
{
    m_sampleRate = rate;
    for (CVoice& v : m_voices)
        v.setSampleRate(rate * static_cast<float>(quality()));
}

void CTimbre::setBlockSize(int frames) { m_blockSize = frames; }

void CTimbre::render(float*, float*, int) {}

void CTimbre::setParameterValue(int number, float value)
{
    if (std::isnan(value))
        return;
    const CParameterRecord& record = parameterRecord(number);
    if (record.set)
        record.set(*this, std::clamp(value, 0.0f, 1.0f));
}

float CTimbre::getParameterValue(int number) const { return parameterRecord(number).get(*this); }

std::string CTimbre::getParameterText(int number) const { return parameterRecord(number).display(*this); }

void CTimbre::setPolyphony(int voices) { m_settings.polyphony = std::clamp(voices, 0, kMaxPolyphony); }

void CTimbre::setQuality(int factor)
{
    if (factor == m_settings.quality)
        return;
    m_settings.quality = factor;
    setSampleRate(m_sampleRate);
}

void CTimbre::setProgramName(const std::string& name) { m_programName = name.substr(0, kProgramNameLength); }

void CTimbre::changeProgram(int program, const std::string& name)
{
    m_programNumber = std::clamp(program, 0, kLastProgram);
    setProgramName(name);
    m_noteCounter = 0;
    resetVoices();
}

} // namespace quorvix
