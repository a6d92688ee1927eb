// One synthesis engine: answers a poly and a mono MIDI channel and adds a stereo pair.
#pragma once

#include "dsp/effect_unit.h"
#include "engine/engine_context.h"
#include "engine/midi_event.h"
#include "engine/program_source.h"
#include "engine/timbre_settings.h"
#include "engine/voice.h"
#include "engine/voice_context.h"
#include "tuning/tuning.h"

#include <array>
#include <string>
#include <vector>

namespace quorvix {

constexpr int kProgramNameLength = static_cast<int>(kMaxProgramName);
constexpr int kVoiceCount = 1 + kMaxPolyphony; // the mono voice, then the poly voices
constexpr int kMonoVoice = 0;
// Events of one processEvents call that a timbre keeps; further events are dropped.
constexpr int kMaxTimbreEvents = 4096;

class CTimbre : public CVoiceContext {
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

    // ---- what the voices ask while they render ----
    const CShaperTable& shaperTable() const override { return m_shaper; }
    bool tempoChanged() const override { return m_tempoChanged; }
    float hostBeatsPerSecond() const override;
    int oscOversamplingSetting() const override { return m_context ? m_context->oscOversampling : 1; }
    float tuningBendFactor(int key, float bend) const override;
    CSongPosition songPosition(int position) const override;
    void voiceProgramChange(CVoice& voice, int program, int position) override;
    // Through the owner's parameter setter.
    void applyController(int controller, float value, CVoice& voice) override;
    void restartFirstKeyClocks(int position) override;

    CTuning& mainTuning() { return m_mainTuning; }
    const CTuning& mainTuning() const { return m_mainTuning; }
    CTuning& destinationTuning() { return m_destinationTuning; }
    const CTuning& destinationTuning() const { return m_destinationTuning; }

    // After an edit of the mono voice's modulation modules: the poly voices take the same modules.
    void copyModulesToVoices();

    CEffectUnit& effect(int unit) { return m_effects[static_cast<size_t>(unit)]; }
    const CEffectUnit& effect(int unit) const { return m_effects[static_cast<size_t>(unit)]; }
    // Delay storage may grow only off the audio thread.
    bool mayAllocate() const { return !m_context || !m_context->onAudioThread(); }
    // Grows effect lines that were left short; true when an allocation failed since the last call.
    bool prepareEffects();
    void clearEffects();

    CShaperTable& shaperTable() { return m_shaper; }
    // Rebuilds the shaper curve from the timbre's shaper settings.
    void rebuildShaper();

    int noteCounter() const { return m_noteCounter; }
    bool soundOffRequested() const { return m_soundOff; }
    void clearSoundOff() { m_soundOff = false; }

    int programNumber() const { return m_programNumber; }
    const std::string& programName() const { return m_programName; }
    void setProgramName(const std::string& name);
    // Silences the timbre and loads the stored program; program is clamped to 0..63.
    void changeProgram(int program);
    // Loads its stored program again without silencing.
    void reloadProgram();
    // A sound into the voices, the shaper curve and the effect units; the program number stays.
    void loadSound(const CSound& sound);
    CSound sound() const;

private:
    // A running time as an integer part and a fraction kept below 1.
    struct CClock {
        double whole = 0.0;
        double fraction = 0.0;
        void advance(double amount);
        // Reads 0 at position (voice samples) of the current block.
        void restartAt(int position, double perSample);
        double at(int position, double perSample) const { return whole + fraction + position * perSample; }
    };

    double beatsPerVoiceSample() const;
    double secondsPerVoiceSample() const;
    void renderVoices(float* left, float* right, int frames);
    void decimate(float* left, float* right, int frames, bool replace);
    void followTempo();
    void clearWork(int samples);
    int renderVoicesAtHostRate(float* left, float* right, int frames, bool toWork);
    void renderEffects(float* left, float* right, int frames);
    bool silentAtHighQuality() const;
    void sizeWorkBuffers();

    struct CAcceptedEvent {
        int64_t order = 0; // deltaFrames and the priority of the message kind, scaled by 10
        int32_t deltaFrames = 0;
        int32_t noteOffset = 0;
        uint8_t status = 0; // with the channel of the side it is treated on
        uint8_t data1 = 0;
        uint8_t data2 = 0;
        int8_t detune = 0;
        const uint8_t* sysex = nullptr; // a tuning message, F0 included
        int32_t sysexSize = 0;
    };

    // The stored program's sound and name ("Init" without programs in the context).
    const CSound& storedSound(int program) const;
    const std::string& storedName(int program) const;
    // Loads the sound into the voice, or copies the modules of a voice that loaded it.
    void loadVoice(CVoice& voice, const CSound& sound, const CVoice* loaded);
    void loadTimbreValues(const CSound& sound);

    void housekeeping();
    int accept(const CMidiEventList& events, int monoChannel, int polyChannel);
    void translate(const CAcceptedEvent& event, int monoChannel, int polyChannel);
    void tuningMessage(const CAcceptedEvent& event, int monoChannel, int polyChannel);
    void retuneChangedKeys(int32_t time);
    void noteOff(const CAcceptedEvent& event, bool monoSide);
    void noteOn(const CAcceptedEvent& event, bool monoSide);
    void monoNoteOn(CVoiceCommand note, const CAcceptedEvent& event);
    void polyNoteOn(CVoiceCommand note, const CAcceptedEvent& event);
    int choosePolyVoice(int key, bool& needsStop) const;
    void controlChange(const CAcceptedEvent& event);
    void stopHeldNotes(int32_t time);
    // Appends to every voice, mono first, with each voice's own key in the key field.
    void queueToAll(CVoiceCommand command, bool releaseKeys);
    // Queues the Stop that must fade a sounding voice before a note at time; returns the note's new time.
    int32_t queueStopBefore(CVoice& voice, int32_t noteTime, int32_t stopKey);
    void queueFirstKeys(const CVoiceCommand& note);
    void applyNoteGains(CVoiceCommand& note, const CVoice& voice, int velocity, int key) const;
    float startFrequency(int key, int detuneCents) const;
    int32_t position(const CAcceptedEvent& event) const;

    const CEngineContext* m_context = nullptr;
    float m_sampleRate = 44100.0f;
    int m_blockSize = 1000;
    int m_programNumber = 0;
    int m_masterProgram = -1; // the program the mono voice loaded at its last program change
    std::string m_programName = "Init";
    std::array<CVoice, kVoiceCount> m_voices;
    CTimbreSettings m_settings;

    CTuning m_mainTuning;
    CTuning m_destinationTuning;
    std::array<uint8_t, kBulkDumpSize> m_reply {};

    CShaperTable m_shaper;
    CTempoClock m_tempoClock;
    bool m_tempoChanged = false;
    std::array<CClock, 4> m_clocks;
    int m_programChangePosition = 0;
    std::array<CDecimator, 2> m_decimators;
    std::array<CEffectUnit, kEffectUnitCount> m_effects;
    std::vector<float> m_workLeft;
    std::vector<float> m_workRight;

    int m_noteCounter = 0;
    bool m_soundOff = false;
    bool m_monoNoteThisCall = false;
    int32_t m_lastMonoNoteTime = 1;
    std::array<CAcceptedEvent, kMaxTimbreEvents> m_accepted;
    std::array<CAcceptedEvent, kMaxTimbreEvents> m_acceptedScratch;
    std::array<CVoiceCommand, kCommandQueueCapacity> m_commandScratch;
};

} // namespace quorvix
