// A timbre at 44100 Hz and 120 BPM with blocks of MIDI in and stereo out.
#pragma once

#include "engine/timbre.h"
#include "presets/parameter_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvix::test {

constexpr int kPoly = 0;
constexpr int kMono = 1;
constexpr float kRate = 44100.0f;

inline CMidiEvent midi(int delta, uint8_t status, uint8_t d1, uint8_t d2 = 0, int8_t detune = 0)
{
    CMidiEvent e;
    e.deltaFrames = delta;
    e.status = status;
    e.data1 = d1;
    e.data2 = d2;
    e.detune = detune;
    return e;
}

struct CBlock {
    std::vector<float> left, right;
    float peak() const
    {
        float p = 0.0f;
        for (size_t i = 0; i < left.size(); ++i)
            p = std::max({p, std::fabs(left[i]), std::fabs(right[i])});
        return p;
    }
};

// A timbre with its own context; tests that compare renders make more than one, on the heap
// (a timbre is too large for the stack).
struct CTimbreRig {
    CTimbreRig()
    {
        setTempo(2.0f); // 120 BPM
        context.samplePeriod = 1.0 / kRate;
        context.voiceParameter = &setVoiceParameter;
        timbre.attach(&context);
        timbre.initialize();
        timbre.setSampleRate(kRate);
        timbre.setBlockSize(4096);
    }
    CTimbreRig(const CTimbreRig&) = delete;
    CTimbreRig& operator=(const CTimbreRig&) = delete;

    void setTempo(float beatsPerSecond)
    {
        context.hostBeatsPerSecond = beatsPerSecond;
        context.samplesPerBeat = kRate / beatsPerSecond;
        context.beatsPerSample = beatsPerSecond / kRate;
    }
    CBlock block(int frames, std::vector<CMidiEvent> events = {})
    {
        // An empty list still has storage: a list without storage would silence the timbre.
        static const CMidiEvent none;
        timbre.processEvents({events.empty() ? &none : events.data(), int(events.size())}, kMono, kPoly);
        CBlock b {std::vector<float>(static_cast<size_t>(frames)), std::vector<float>(static_cast<size_t>(frames))};
        timbre.render(b.left.data(), b.right.data(), frames);
        return b;
    }
    void useSine() { setParameterValue(timbre, 25, 16.5f / 54.0f); }

    CEngineContext context;
    CTimbre timbre;
};

class TimbreFixture : public ::testing::Test, public CTimbreRig {};

} // namespace quorvix::test
