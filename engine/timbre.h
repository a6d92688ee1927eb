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
constexpr int kMonoVoice = 0;
// Events of one processEvents call that a timbre keeps; further events are dropped.
constexpr int kMaxTimbreEvents = 4096;

class CTimbre {
public:
    CTimbre();

    // Owner's tempo, sample period and plug-in-wide settings; read while rendering.
    void attach(const CEngineContext* context);
    // Note counter 0, no sound-off request, every voice free.
    void initialize();
    void resetVoices();

    // Host rate; the voices run at quality times this rate.
    void setSampleRate(float rate);
    void setBlockSize(int frames);
    float sampleRate() const { return m_sampleRate; }
    int blockSize() const { return m_blockSize; }

    // Channels are zero-based MIDI channels. A list without events storage silences the timbre.
    void processEvents(const CMidiEventList& events, int monoChannel, int polyChannel);

    // Adds frames host samples of the timbre's signal to left and right.
    void render(float* left, float* right, int frames);

    // number is a resolved parameter number; NaN is ignored and values outside 0..1 are the nearest end.
    void setParameterValue(int number, float value);
    float getParameterValue(int number) const;
    std::string getParameterText(int number) const;

    std::array<CVoice, kVoiceCount>& voices() { return m_voices; }
    const std::array<CVoice, kVoiceCount>& voices() const { return m_voices; }
    CVoice& voice(int i) { return m_voices[static_cast<size_t>(i)]; }
    const CVoice& voice(int i) const { return m_voices[static_cast<size_t>(i)]; }
    const CVoice& masterVoice() const { return m_voices[kMonoVoice]; }
    CTimbreSettings& settings() { return m_settings; }
    const CTimbreSettings& settings() const { return m_settings; }
    void setPolyphony(int voices);
    // factor 1 or 4; a change prepares the voices for the new rate.
    void setQuality(int factor);
    int quality() const { return m_settings.quality; }

    int noteCounter() const { return m_noteCounter; }
    bool soundOffRequested() const { return m_soundOff; }
    void clearSoundOff() { m_soundOff = false; }

    int programNumber() const { return m_programNumber; }
    const std::string& programName() const { return m_programName; }
    void setProgramName(const std::string& name);
    void changeProgram(int program, const std::string& name);

private:
    struct CAcceptedEvent {
        int64_t order = 0; // deltaFrames and the priority of the message kind, scaled by 10
        int32_t deltaFrames = 0;
        int32_t noteOffset = 0;
        uint8_t status = 0; // with the channel of the side it is treated on
        uint8_t data1 = 0;
        uint8_t data2 = 0;
        int8_t detune = 0;
    };

    void housekeeping();
    int accept(const CMidiEventList& events, int monoChannel, int polyChannel);
    void translate(const CAcceptedEvent& event, int monoChannel);
    void noteOff(const CAcceptedEvent& event, bool monoSide);
    void noteOn(const CAcceptedEvent& event, bool monoSide);
    void monoNoteOn(CVoiceCommand note, const CAcceptedEvent& event);
    void polyNoteOn(CVoiceCommand note, const CAcceptedEvent& event);
    int choosePolyVoice(int key, bool& needsStop) const;
    void controlChange(const CAcceptedEvent& event);
    void stopHeldNotes(int32_t time);
    // Appends to every voice, mono first, with each voice's own key in the key field.
    void queueToAll(CVoiceCommand command, bool releaseKeys);
    // Queues the Stop that must fade a voice before a note at time; returns the note's new time.
    int32_t queueStopBefore(CVoice& voice, int32_t noteTime, int32_t stopKey);
    void queueFirstKeys(const CVoiceCommand& note);
    void applyNoteGains(CVoiceCommand& note, const CVoice& voice, int velocity, int key) const;
    float startFrequency(int key, int detuneCents) const;
    int32_t position(const CAcceptedEvent& event) const;

    const CEngineContext* m_context = nullptr;
    float m_sampleRate = 44100.0f;
    int m_blockSize = 1000;
    int m_programNumber = 0;
    std::string m_programName = "Init";
    std::array<CVoice, kVoiceCount> m_voices;
    CTimbreSettings m_settings;

    int m_noteCounter = 0;
    bool m_soundOff = false;
    bool m_monoNoteThisCall = false;
    int32_t m_lastMonoNoteTime = 1;
    std::array<CAcceptedEvent, kMaxTimbreEvents> m_accepted;
    std::array<CAcceptedEvent, kMaxTimbreEvents> m_acceptedScratch;
    std::array<CVoiceCommand, kCommandQueueCapacity> m_commandScratch;
};

} // namespace quorvix
