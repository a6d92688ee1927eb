// The tempo reference of oscillators, modulation oscillators, envelopes, portamento and effects:
// one of 13 kinds, either a multiple of the host tempo or a fixed rate.
#pragma once

namespace quorvix {

constexpr int kTempoClockKinds = 13;

// Kinds 0 to 6 follow the host tempo; kinds outside 0..12 count as fixed.
bool clockFollowsHost(int kind);
// The fixed kind that replaces a host-relative one (factory presets do not follow the host);
// fixed kinds as they are.
int fixedClockKind(int kind);
// Beats per second of a fixed kind; 0 for a kind that follows the host.
float fixedClockRate(int kind);

class CTempoClock {
public:
    // A new clock runs at "120 BPM".
    CTempoClock();

    void setKind(int kind);
    void setSampleRate(float rate);
    // Host beats per second; values of 0 or less are ignored.
    void setHostTempo(float beatsPerSecond);
    // Replaces a host-relative kind by a fixed one (factory presets do not follow the host).
    void toFixedRate();

    int kind() const { return m_kind; }
    float sampleRate() const { return m_sampleRate; }
    float hostBeatsPerSecond() const { return m_hostBeatsPerSecond; }
    float beatsPerSecond() const { return m_beatsPerSecond; }
    float samplesPerBeat() const { return m_samplesPerBeat; }
    // Kinds 0 to 6 follow the host tempo.
    bool followsHost() const;
    // The multiple of the host tempo (host kinds) or the fixed rate in beats per second.
    float rate() const;

private:
    void recompute();

    int m_kind;
    float m_sampleRate = 44100.0f;
    float m_hostBeatsPerSecond = 2.0f;
    float m_beatsPerSecond = 2.0f;
    float m_samplesPerBeat = 22050.0f;
};

} // namespace quorvix
