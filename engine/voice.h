// One voice of a timbre: voice 0 plays the mono channel and holds the master copy of the parameters.
#pragma once

#include "dsp/combination_stage.h"
#include "dsp/dc_blocker.h"
#include "dsp/feedback_line.h"
#include "dsp/loop_envelope.h"
#include "dsp/mod_oscillator.h"
#include "dsp/mod_section.h"
#include "dsp/oscillator.h"
#include "dsp/main_filter.h"
#include "dsp/resonator.h"
#include "dsp/second_order_state.h"
#include "dsp/shaper_table.h"
#include "dsp/tempo_clock.h"
#include "dsp/wave_table.h"
#include "engine/command_queue.h"
#include "engine/sound.h"
#include "engine/voice_context.h"
#include "engine/voice_settings.h"

#include <array>
#include <utility>

namespace quorvix {


enum class EEnvelope { OscMod1, OscMod2, FilterMod1, FilterMod2, Amplitude };
constexpr int kEnvelopeCount = 5;
// The control grids, in voice samples: the filter section and pan ramps, the oscillator section
// and the amplitude envelope.
constexpr int kFineGrid = 6;
constexpr int kCoarseGrid = 24;
constexpr float kDefaultVolumeGain = 0.17677669f;

// The second-order low-pass that brings four oversampled values back to one; its gain at 0 Hz is 0.25.
struct CDecimator {
    CSecondOrderState<float> state; // unscaled inputs and outputs
    inline float tick(float x);
    void clear() { state.clear(); }
    // Below 1e-11 on both recent outputs the filter has died out.
    bool quiet() const { return std::fabs(state.y1) + std::fabs(state.y2) < 1e-11f; }
};

inline float CDecimator::tick(float x)
{
    constexpr float g = 0.024407774f;
    constexpr float a1 = 0.942808985710144f;
    constexpr float a2 = 0.33333298563957214f;
    const CSecondOrderState<float>& s = state;
    return state.shift(x, g * x + 2.0f * g * s.x1 + g * s.x2 + a1 * s.y1 - a2 * s.y2);
}

class CVoice {
public:
    CVoice();
    CVoice(const CVoice&) = delete;
    CVoice& operator=(const CVoice&) = delete;

    // The voice rate: the timbre's quality factor times the host rate.
    void setSampleRate(float rate);
    // No key and a queue of only End.
    void initialize();
    // Drops the running sound and the queue at once.
    void silence();

    // Walks the queue over frames voice samples and adds the voice's signal to left and right.
    void render(CVoiceContext& context, float* left, float* right, int frames);
    bool idle() const { return m_queueReset || m_queue.front().type == command::End; }

    // ---- the sound ----
    // Every setting of the sound that belongs to a voice (the shaper curve and the effects belong
    // to the timbre), through the setters below.
    void loadSound(const CSound& sound);
    // The same without the modulation modules, after copyModulesFrom.
    void loadSoundValues(const CSound& sound);
    void storeSound(CSound& sound) const;
    // Copies modulation oscillators, envelopes and combiner sets from another voice.
    void copyModulesFrom(const CVoice& other);

    // ---- parameter setters: a value a modulation section drives keeps its modulation ----
    void setOscillatorWave1(int i, int id) { m_oscillators[static_cast<size_t>(i)].setWave1(id); }
    void setOscillatorWave2(int i, int id) { m_oscillators[static_cast<size_t>(i)].setWave2(id); }
    void setPulse(int i, float v);
    void setSymmetry(int i, float v);
    void setOscillatorPhase(int i, float v) { m_oscillators[static_cast<size_t>(i)].setPhase(v); }
    void setCoarse(int i, int semitones) { m_oscillators[static_cast<size_t>(i)].setCoarse(semitones); }
    void setFine(int i, float v) { m_oscillators[static_cast<size_t>(i)].setFine(v); }
    // One source for all three oscillators' beat detune.
    void setOscillatorSync(int kind);
    void setWeight(int i, float v);
    void setOperatorA(int id) { m_combination.setOperatorA(id); }
    void setOperatorB(int id) { m_combination.setOperatorB(id); }
    void setOversampling(const COversamplingSettings& s) { m_settings.oversampling = s; }
    // Modulation oscillators 0 and 1 belong to the oscillator section, 2 and 3 to the filter section.
    void setModWave(int i, int id) { m_modOscillators[static_cast<size_t>(i)].setWave(id); }
    void setModOnce(int i, bool on) { m_modOscillators[static_cast<size_t>(i)].setOnce(on); }
    void setModSync(int i, int kind) { m_modOscillators[static_cast<size_t>(i)].setSyncKind(kind); }
    void setModSpeed(int i, float beats);
    void setModPhase(int i, float phase) { m_modOscillators[static_cast<size_t>(i)].setPhase(phase); }
    void setModDelayMode(int i, int mode) { m_modOscillators[static_cast<size_t>(i)].setDelayMode(mode); }
    void setModDelay(int i, float beats) { m_modOscillators[static_cast<size_t>(i)].setDelay(beats); }
    // Shaper values of the voice; the curve itself belongs to the timbre.
    void setShaperGain(float gain);
    void setShaperPosition(float position);
    void setShaperMix(float mix);
    void setPostFilter(bool on) { m_settings.shaper.postFilter = on; }
    void setShaperLimiter(bool on) { m_settings.shaper.limiter = on; }
    // Filter and resonance settings; frequencies in Hz before key tracking.
    void setFilterType(int type);
    void setFilterLevel(int sections);
    void setFilterParameter(float p);
    void setFilterFrequency(float hz);
    void setResonanceWeight(float w);
    void setResonanceSeparate(bool on);
    void setResonanceFrequency(float hz);
    // r = v squared; the resonator's Q is 16 r + 1.
    void setResonance(float r);
    void setKeyMid(int key) { m_settings.filter.keyMid = key; }
    void setKeySlope(float slope) { m_settings.filter.keySlope = slope; }
    // Levels, portamento, bend range and dirty tuning are read at the next note; the pan moves at once.
    void setLevels(const CLevelSettings& levels);
    void setPan(double angle);
    void setPortamentoSync(int kind) { m_portamentoClock.setKind(kind); }

    // ---- what the voice holds ----
    const COscillator& oscillator(int i) const { return m_oscillators[static_cast<size_t>(i)]; }
    const CCombinationStage& combination() const { return m_combination; }
    const CModOscillator& modOscillator(int i) const { return m_modOscillators[static_cast<size_t>(i)]; }
    // The modulation modules are edited in place (the editor), then copied to the other voices.
    CModSection& oscillatorSection() { return m_oscSection; }
    const CModSection& oscillatorSection() const { return m_oscSection; }
    CModSection& filterSection() { return m_filterSection; }
    const CModSection& filterSection() const { return m_filterSection; }
    CLoopEnvelope& envelope(EEnvelope e) { return m_envelopes[static_cast<size_t>(e)]; }
    const CLoopEnvelope& envelope(EEnvelope e) const { return m_envelopes[static_cast<size_t>(e)]; }
    const CMainFilter& filter() const { return m_filter; }
    const CResonator& resonator() const { return m_resonator; }
    float cutoffInUse() const { return m_cutoff; }
    float resonanceFrequencyInUse() const { return m_resonance; }
    const CTempoClock& portamentoClock() const { return m_portamentoClock; }
    const CVoiceSettings& settings() const { return m_settings; }

    int key() const { return m_key; }
    void setKey(int key) { m_key = key; }
    CCommandQueue& queue() { return m_queue; }
    const CCommandQueue& queue() const { return m_queue; }
    bool queueResetPending() const { return m_queueReset; }
    void requestQueueReset() { m_queueReset = true; }
    void clearQueueReset() { m_queueReset = false; }
    // Samples of the quick fade at the voice rate.
    int quickFadeLength() const { return envelope(EEnvelope::Amplitude).quickFadeLength(); }

    float volumeGain() const { return m_volumeGain; }
    void setVolumeGain(float gain) { m_volumeGain = gain; }
    int oversamplingFactor() const { return m_oversampling; }
    float pitchFactor() const { return m_pitchFactor; }
    float amplitude() const { return m_amplitude; }
    float leftGain() const { return m_pan[0].current; }
    float rightGain() const { return m_pan[1].current; }
    float pressure() const { return m_pressure; }
    bool finished() const { return m_finished; }

private:
    struct CSmoothing {
        int counter = 0; // 0: stopped
        float coefficient = 0.0f;
        void restart();
        // One grid step of value towards target; true when the value changed.
        bool step(float& value, float target);
    };
    struct CPanGain {
        float target = 0.0f;
        float current = 0.0f;
        float increment = 0.0f;
    };
    // The five quantities of the portamento glide.
    struct CGlide {
        bool on = false;
        int length = 0;
        int startAge = 0;
        int endAge = 0;
        std::array<float, 5> start {};
        std::array<float, 5> slope {};
        std::array<float, 5> target {};
    };
    enum EGlide { GlideFrequency, GlideCutoff, GlideResonance, GlideVelocity, GlideKey };

    // A pan angle (0..pi/2) as a position 0..0.5 between the channels.
    static float panPosition(double angle);

    // render walk
    void prepareRunningState(CVoiceContext& context);
    void moveQueueOn(int frames);
    bool execute(CVoiceContext& context, CVoiceCommand& command, int position);
    void noteStart(CVoiceContext& context, const CVoiceCommand& note, int position);
    void startSections(CVoiceContext& context, const CVoiceCommand& note, int position);
    // Applies combiner outputs to their targets: every combiner with a destination, or the varying ones.
    void applyOscillatorSection(bool all);
    void applyFilterSection(bool all);
    void legatoStart(CVoiceContext& context, const CVoiceCommand& note);
    void startGlide(int startAge, int length, const std::array<float, 5>& start, const std::array<float, 5>& target);
    void resetRunningValues();
    void resetControllers();
    void finishNote();
    void retimeGlide(float oldBeatsPerSecond, float newBeatsPerSecond);
    void changeTempo(float beatsPerSecond);

    // control grid
    void gridSix(CVoiceContext& context, int age);
    void gridTwentyFour(int age);
    void updateOscillatorFrequencies();
    void setPanTargets(float h);
    float trackedFrequency(float hz, int key) const;
    float panGain(float x) const;
    float envelopeLevel() const;

    // audio
    bool renderAudio(float* left, float* right, int count, int age);
    // The run's options as template arguments: oscillator oversampling, the shaper before the
    // filter, the feedback line, the resonator, both combination operators "Mix".
    template <bool Oversampled, bool PreShaper, bool Feedback, bool Resonator, bool MixOnly>
    bool renderRun(float* left, float* right, int count, int age);
    template <size_t... I>
    static constexpr auto runTable(std::index_sequence<I...>);
    // A note whose output turned non-finite ends at once; the voice starts the next one afresh.
    void dropBrokenNote();
    template <bool Oversampled, bool PreShaper, bool Feedback, bool MixOnly>
    inline float oscillatorSample(int age, CDecimator& decimator);
    inline float shape(float x) const;
    void clearFilters();
    void applyCutoff();
    void applyResonanceFrequency();

    CWaveTableReference m_tables;
    CFeedbackLine m_feedback;
    CCombinationStage::Oscillators m_oscillators;
    CCombinationStage m_combination;
    std::array<CLoopEnvelope, kEnvelopeCount> m_envelopes;
    std::array<CModOscillator, kModOscillatorCount> m_modOscillators;
    CModSection m_oscSection {ESectionKind::Oscillator};
    CModSection m_filterSection {ESectionKind::Filter};
    // Modulation in effect, kept so that bends, glides and parameter changes keep it.
    std::array<float, kOscillatorCount> m_pitchOffset {}; // semitones
    struct CFrequencyModulation {
        float add = 0.0f;   // Hz
        float ratio = 1.0f;
    };
    CFrequencyModulation m_cutoffModulation;
    CFrequencyModulation m_resonanceModulation;
    float m_filterParameterInUse = 0.0f;
    float m_resonanceWeightInUse = 0.0f;
    CTempoClock m_portamentoClock;
    CMainFilter m_filter;
    CResonator m_resonator;
    bool m_resonatorResting = false; // cleared and left out while it adds nothing
    CDcBlocker m_dcBlocker;
    const CShaperTable* m_shaper = nullptr;
    float m_shaperGain = 0.33333334f; // values in use, with modulation
    float m_shaperPosition = 0.0f;
    float m_shaperMix = 1.0f;
    CVoiceSettings m_settings;
    float m_sampleRate = 44100.0f;

    int m_key = -1;
    CCommandQueue m_queue;
    bool m_queueReset = false;
    bool m_finished = true;

    float m_amplitude = 0.0f;
    float m_amplitudeIncrement = 0.0f;
    float m_fadeStartLevel = 0.0f;
    float m_lastFrequency = 1.0f;
    float m_lastVelocityGain = 0.0f;
    float m_lastKeyGain = 1.0f;

    float m_frequency = 1.0f;
    float m_bend = 0.0f;
    float m_pitchTarget = 1.0f;
    float m_pitchFactor = 1.0f;
    CSmoothing m_bendSmoothing;
    float m_retuneTarget = 1.0f;
    CSmoothing m_retuneSmoothing;
    float m_pressure = 0.0f;

    CGlide m_glide;
    float m_cutoff = 2330.0f;    // key-tracked cutoff in use
    float m_resonance = 2330.0f; // key-tracked resonance frequency in use
    std::array<CPanGain, 2> m_pan;
    float m_volumeGain = kDefaultVolumeGain;
    int m_oversampling = 1;
    bool m_feedbackInUse = false;
    CDecimator m_decimator;
    std::array<float, 4> m_steps {};
};

} // namespace quorvix
