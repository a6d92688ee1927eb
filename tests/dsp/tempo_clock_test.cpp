#include "dsp/tempo_clock.h"

#include <gtest/gtest.h>

namespace quorvix {
namespace {

TEST(TempoClock, KindsFollowTheHostOrAFixedRate)
{
    const float expected[kTempoClockKinds] = {3.0f, 4.5f, 6.0f, 9.0f, 15.0f, 1.0f, 1.5f,
                                              1.0f, 2.0f, 3.0f, 4.0f, 10.0f, 1.0f / 60.0f};
    CTempoClock clock;
    EXPECT_EQ(clock.kind(), 8) << "a new clock runs at 120 BPM";
    clock.setSampleRate(48000.0f);
    clock.setHostTempo(3.0f); // 180 BPM
    for (int kind = 0; kind < kTempoClockKinds; ++kind) {
        clock.setKind(kind);
        EXPECT_NEAR(clock.beatsPerSecond(), expected[kind], 1e-6f) << kind;
        EXPECT_NEAR(clock.samplesPerBeat(), 48000.0f / expected[kind], 0.01f) << kind;
    }
    clock.setHostTempo(0.0f);
    clock.setHostTempo(-1.0f);
    EXPECT_FLOAT_EQ(clock.hostBeatsPerSecond(), 3.0f) << "no tempo keeps the last";
    clock.setKind(13);
    EXPECT_EQ(clock.kind(), 12);
}

TEST(TempoClock, FixedRateReplacesHostKinds)
{
    const int replaced[kTempoClockKinds] = {8, 9, 10, 10, 11, 7, 7, 7, 8, 9, 10, 11, 12};
    for (int kind = 0; kind < kTempoClockKinds; ++kind) {
        CTempoClock clock;
        clock.setKind(kind);
        clock.toFixedRate();
        EXPECT_EQ(clock.kind(), replaced[kind]) << kind;
        EXPECT_EQ(fixedClockKind(kind), replaced[kind]) << kind;
        EXPECT_EQ(clockFollowsHost(kind), kind < 7) << kind;
    }
    EXPECT_EQ(fixedClockKind(13), 13) << "outside the list nothing is replaced";
    EXPECT_FALSE(clockFollowsHost(-1));
}

TEST(TempoClock, FixedRatesInBeatsPerSecond)
{
    const float rates[kTempoClockKinds] = {0, 0, 0, 0, 0, 0, 0, 1.0f, 2.0f, 3.0f, 4.0f, 10.0f, 1.0f / 60.0f};
    for (int kind = 0; kind < kTempoClockKinds; ++kind)
        EXPECT_FLOAT_EQ(fixedClockRate(kind), rates[kind]) << kind;
    EXPECT_EQ(fixedClockRate(13), 0.0f);
}

} // namespace
} // namespace quorvix
