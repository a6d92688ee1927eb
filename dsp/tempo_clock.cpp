#include "dsp/tempo_clock.h"

namespace quorvix {

namespace {

constexpr int kFirstFixedKind = 7;
constexpr int kDefaultKind = 8; // "120 BPM"

// Host multiples for kinds 0..6, beats per second for kinds 7..12.
constexpr float kRates[kTempoClockKinds] = {1.0f, 1.5f, 2.0f, 3.0f, 5.0f, 1.0f / 3.0f, 0.5f,
                                            1.0f, 2.0f, 3.0f, 4.0f, 10.0f, 1.0f / 60.0f};

// The fixed kind that replaces each host-relative kind.
constexpr int kFixedReplacement[kFirstFixedKind] = {8, 9, 10, 10, 11, 7, 7};

} // namespace

bool clockFollowsHost(int kind) { return kind >= 0 && kind < kFirstFixedKind; }

int fixedClockKind(int kind) { return clockFollowsHost(kind) ? kFixedReplacement[kind] : kind; }

float fixedClockRate(int kind)
{
    return kind >= kFirstFixedKind && kind < kTempoClockKinds ? kRates[kind] : 0.0f;
}

CTempoClock::CTempoClock() : m_kind(kDefaultKind) { recompute(); }

void CTempoClock::setKind(int kind)
{
    if (kind < 0 || kind >= kTempoClockKinds)
        return;
    m_kind = kind;
    recompute();
}

void CTempoClock::setSampleRate(float rate)
{
    m_sampleRate = rate;
    recompute();
}

void CTempoClock::setHostTempo(float beatsPerSecond)
{
    if (!(beatsPerSecond > 0.0f))
        return;
    m_hostBeatsPerSecond = beatsPerSecond;
    recompute();
}

void CTempoClock::toFixedRate() { setKind(fixedClockKind(m_kind)); }

bool CTempoClock::followsHost() const { return clockFollowsHost(m_kind); }

float CTempoClock::rate() const { return kRates[m_kind]; }

void CTempoClock::recompute()
{
    m_beatsPerSecond = followsHost() ? kRates[m_kind] * m_hostBeatsPerSecond : kRates[m_kind];
    m_samplesPerBeat = m_sampleRate / m_beatsPerSecond;
}

} // namespace quorvix
