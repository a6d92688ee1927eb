// One synthesis engine: answers a poly and a mono MIDI channel and adds a stereo pair.
#pragma once

#include "engine/engine_context.h"
#include "engine/midi_event.h"
#include "engine/timbre_settings.h"
#include "engine/voice.h"

#include <array>
#include <string>

namespace quorvix {

constexpr int kProgramNameLength = 24;
constexpr int kVoiceCount = 1 + kMaxPolyphony; // the mono voice, then the poly voices

class CTimbre {
public:
    CTimbre();

    // Owner's tempo, sample period and plug-in-wide settings; read while rendering.
    void attach(const CEngineContext* context);
    void initialize();
    void resetVoices();

    // Host rate; the voices run at quality times this rate.
    void setSampleRate(float rate);
    void setBlockSize(int frames);
    float sampleRate() const { return m_sampleRate; }
    int blockSize() const { return m_blockSize; }

    // Channels are zero-based MIDI channels.
    void processEvents(const CMidiEventList& events, int monoChannel, int polyChannel);

    // Adds frames host samples of the timbre's signal to left and right.
    void render(float* left, float* right, int frames);

    // number is a resolved parameter number; NaN is ignored and values outside 0..1 are the nearest end.
    void setParameterValue(int number, float value);
    float getParameterValue(int number) const;
    std::string getParameterText(int number) const;

    std::array<CVoice, kVoiceCount>& voices() { return m_voices; }
    const CVoice& masterVoice() const { return m_voices[0]; }
    CTimbreSettings& settings() { return m_settings; }
    const CTimbreSettings& settings() const { return m_settings; }
    void setPolyphony(int voices);
    // factor 1 or 4; a change prepares the voices for the new rate.
    void setQuality(int factor);

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
    std::array<CVoice, kVoiceCount> m_voices;
    CTimbreSettings m_settings;
};

} // namespace quorvix
