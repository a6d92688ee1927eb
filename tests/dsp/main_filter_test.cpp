#include "dsp/main_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace quorvix {
namespace {

// The wavefront run against the plain per-sample form: every type and level, runs of many lengths
// with the frequency moving between them, inputs loud enough to reach the sections' limit.
TEST(MainFilter, RunMatchesReferenceBitForBit)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> signal(-1.0f, 1.0f);
    std::uniform_int_distribution<int> runLength(1, 40);
    for (int type = 0; type <= 8; ++type) {
        for (int sections = 1; sections <= kMaxFilterSections; ++sections) {
            for (const float p : {0.0f, 0.37f, 1.0f}) {
                CMainFilter fast, plain;
                for (CMainFilter* f : {&fast, &plain}) {
                    f->setSampleRate(44100.0f);
                    f->setType(type);
                    f->setSections(sections);
                    f->setParameter(p);
                }
                std::vector<float> a, b;
                for (int run = 0; run < 60; ++run) {
                    const double hz = 150.0 * (1 + run % 37);
                    fast.setFrequency(hz);
                    plain.setFrequency(hz);
                    const float gain = run % 10 == 9 ? 3000.0f : 1.0f;
                    a.resize(static_cast<size_t>(runLength(random)));
                    for (float& v : a)
                        v = gain * signal(random);
                    b = a;
                    fast.run(a.data(), static_cast<int>(a.size()));
                    plain.runReference(b.data(), static_cast<int>(b.size()));
                    ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)))
                        << "type " << type << ", " << sections << " sections, p " << p << ", run " << run;
                }
            }
        }
    }
}

} // namespace
} // namespace quorvix
