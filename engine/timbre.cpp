#include "engine/timbre.h"

#include "presets/parameter_table.h"
#include "presets/value_format.h"

#include <cmath>

namespace quorvix {

namespace {

constexpr int kLastProgram = 63;

float clampUnit(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

} // namespace

CTimbre::CTimbre() = default;

void CTimbre::attach(const CEngineContext* context) { m_context = context; }

void CTimbre::initialize() {}

void CTimbre::resetVoices() {}

void CTimbre::setSampleRate(float rate) { m_sampleRate = rate; }

void CTimbre::setBlockSize(int frames) { m_blockSize = frames; }

void CTimbre::processEvents(const CMidiEventList&, int, int) {}

void CTimbre::render(float*, float*, int) {}

void CTimbre::setParameterValue(int number, float value)
{
    if (number == cmd::Quality) {
        m_quality = value < 0.5f ? 0.0f : 1.0f;
        return;
    }
    if (number < 0 || number >= kParametersPerTimbre || isReservedParameter(number))
        return;
    m_values[number] = clampUnit(value);
}

float CTimbre::getParameterValue(int number) const
{
    if (number == cmd::Quality)
        return m_quality;
    if (number < 0 || number >= kParametersPerTimbre || isReservedParameter(number))
        return 0.0f;
    return m_values[number];
}

std::string CTimbre::getParameterText(int number) const
{
    if (isReservedParameter(number))
        return "***ERR***";
    return formatDecimal(getParameterValue(number));
}

void CTimbre::setProgramName(const std::string& name) { m_programName = name.substr(0, kProgramNameLength); }

void CTimbre::changeProgram(int program, const std::string& name)
{
    m_programNumber = program < 0 ? 0 : (program > kLastProgram ? kLastProgram : program);
    setProgramName(name);
    resetVoices();
}

} // namespace quorvix
