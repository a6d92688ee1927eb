// A modulation oscillator: reads a wave table at a rate in beats of its own clock, once per
// control update of its section, with a start delay, one-shot runs and song-following phase.
#pragma once

#include "dsp/tempo_clock.h"
#include "dsp/wave_table.h"

namespace quorvix {

namespace delaymode {
constexpr int Delay = 0;
constexpr int Hold = 1;
constexpr int Continue = 2;
} // namespace delaymode

constexpr float kMinModSpeed = 0.0625f;
constexpr float kMaxModSpeed = 8.0f;
constexpr float kMaxModulatedSpeed = 100.0f;

// The timbre's running times, for oscillators that follow the song ("Continue").
struct CSongPosition {
    double beatsSinceProgram = 0.0;
    double secondsSinceProgram = 0.0;
    double beatsSinceFirstKey = 0.0;
    double secondsSinceFirstKey = 0.0;
};

// What a program stores of a modulation oscillator.
struct CModOscillatorSettings {
    int wave = 1;
    bool once = false;
    int syncKind = 0;
    float speed = 1.0f; // beats per cycle
    float phase = 0.0f; // 1 means random
    int delayMode = delaymode::Delay;
    float delay = 0.0f; // beats

    bool operator==(const CModOscillatorSettings&) const = default;
};

class CModOscillator {
public:
    CModOscillator();

    void attach(const CWaveTableSet* tables);

    // Every stored setting, through the setters below.
    void load(const CModOscillatorSettings& s);
    CModOscillatorSettings settings() const;

    // Ids of 54 and more are ignored; 53 reads the silent table.
    void setWave(int id);
    void setOnce(bool on);
    void setSyncKind(int kind) { m_clock.setKind(kind); }
    // Beats per cycle, 1/16..8.
    void setSpeed(float beats) { m_speed = beats; }
    // 0..1 of a cycle; 1 means a random start phase.
    void setPhase(float phase) { m_phase = phase; }
    void setDelayMode(int mode);
    // Beats before the oscillator runs.
    void setDelay(float beats) { m_delay = beats; }

    void setSampleRate(float rate);
    // Beats per cycle added to the speed.
    void modulateSpeed(float amount);
    // updateFactor is the number of samples per update of the section.
    void noteStart(const CSongPosition& song, int updateFactor);
    float step();
    // The output at the current position without advancing: the held value while delayed.
    float currentValue() const;
    void tempoChanged();
    void copyFrom(const CModOscillator& other);

    CTempoClock& clock() { return m_clock; }
    const CTempoClock& clock() const { return m_clock; }
    int wave() const { return m_wave; }
    bool once() const { return m_once; }
    float speed() const { return m_speed; }
    float phase() const { return m_phase; }
    int delayMode() const { return m_delayMode; }
    float delay() const { return m_delay; }
    float value() const { return m_value; }
    double position() const { return m_position; }
    int delayCount() const { return m_delayCount; }
    float frequency() const { return m_frequency; }

private:
    float read(double position) const;
    void setReaderPhase(float p);
    void recomputeFrequency(float speed);

    // settings
    const CWaveTableSet* m_tables = nullptr;
    CTempoClock m_clock;
    float m_sampleRate = 44100.0f;
    float m_speed = 1.0f;
    float m_speedMod = 0.0f;
    float m_phase = 0.0f;
    int m_delayMode = delaymode::Delay;
    float m_delay = 0.0f;
    bool m_once = false;
    int m_wave = 1;
    bool m_oneShot = false;
    // per note
    int m_updateFactor = 1;
    float m_tempoAtStart = 2.0f;
    float m_heldValue = 0.0f;
    float m_endValue = 0.0f;
    double m_delayLeft = 0.0;
    int m_delayCount = 0;
    float m_frequency = 0.01f;
    double m_increment = 0.0;
    double m_position = 0.0;
    float m_value = 0.0f;
};

} // namespace quorvix
