// One synthesis engine: answers a poly and a mono MIDI channel and adds a stereo pair.
#pragma once

#include "engine/engine_context.h"
#include "engine/midi_event.h"

#include <array>
#include <string>

namespace quorvix {

constexpr int kProgramNameLength = 24;

class CTimbre {
public:
    CTimbre();

    // Owner's tempo, sample period and plug-in-wide settings; read while rendering.
    void attach(const CEngineContext* context);
    void initialize();
    void resetVoices();

    void setSampleRate(float rate);
    void setBlockSize(int frames);
    float sampleRate() const { return m_sampleRate; }
    int blockSize() const { return m_blockSize; }

    // Channels are zero-based MIDI channels.
    void processEvents(const CMidiEventList& events, int monoChannel, int polyChannel);

    // Adds frames host samples of the timbre's signal to left and right.
    void render(float* left, float* right, int frames);

    // number is a resolved parameter number.
    void setParameterValue(int number, float value);
    float getParameterValue(int number) const;
    std::string getParameterText(int number) const;

    int programNumber() const { return m_programNumber; }
    const std::string& programName() const { return m_programName; }
    void setProgramName(const std::string& name);
    void changeProgram(int program, const std::string& name);

private:

    const CEngineContext* m_context = nullptr;
    float m_sampleRate = 44100.0f;
    int m_blockSize = 1000;
    int m_programNumber = 0;
    std::string m_programName = "Init";
    std::array<float, 200> m_values {};
    float m_quality = 0.0f;
};

} // namespace quorvix
