#include "dsp/wave_table.h"

#include "dsp/runtime_rand.h"
#include "dsp/sample_waves.h"

#include <cmath>
#include <vector>

namespace quorvix {

namespace {

constexpr float kPiOver2000 = 0.0015707963267948967f;
constexpr float kPi = 3.1415927f;
constexpr float kPiSquared = 9.869605f;
constexpr float kRandToUnit = 6.103701889514923e-05f; // 2 / 32767
constexpr float kHalfSawStep = 0.0002500625269021839f; // 1 / 3999
constexpr double kTwoPi = 6.283185307179586;
constexpr float kMeanScale = 0.0005f;
constexpr float kHarmonicFloor = 0.001f;
constexpr uint32_t kNoiseSeed1 = 9091979;
constexpr uint32_t kNoiseSeed2 = 90575;
constexpr float kBrownAmplitude = 1.2f;
constexpr float kBrownRoughness = 0.9f;

// Waves that jump at the cycle end keep their end points instead of wrapping.
bool jumpsAtEnd(int id) { return id == 1 || id == 9 || id == 18 || id == 32 || id == 33 || id == 34; }
bool jumpsAtMiddle(int id) { return id == 1 || id == 5 || id == 18 || id == 34; }

using Samples = std::vector<float>; // 4000 samples of one cycle

float randomUnit() { return static_cast<float>(runtimeRand()) * kRandToUnit - 1.0f; }

// Second half as the negated first half: r[k] = -s[k].
void negateIntoSecondHalf(Samples& t)
{
    for (int k = 0; k < kWaveTableHalf; ++k)
        t[kWaveTableHalf + k] = -t[k];
}

// Sine partials added to the first half and subtracted, mirrored, from the second.
template <typename Amplitude>
void fourierMirrored(Samples& t, int harmonics, Amplitude amplitude)
{
    for (int n = 1; n <= harmonics; ++n) {
        const float a = amplitude(n, n % 2);
        if (std::fabs(a) < kHarmonicFloor)
            continue;
        for (int k = 0; k < kWaveTableHalf; ++k) {
            const float v = a * std::sin(static_cast<float>(n * k) * kPiOver2000);
            t[k] += v;
            t[kWaveTableHalf + (kWaveTableHalf - 1 - k)] -= v;
        }
    }
}

void squareSeries(Samples& t, int harmonics)
{
    fourierMirrored(t, harmonics, [](int n, int p) { return ((p - 0.5f) * 4.0f + 2.0f) * 0.8f / (n * kPi); });
}

void sawSeries(Samples& t, int harmonics, float sign)
{
    fourierMirrored(t, harmonics, [sign](int n, int p) { return (p - 0.5f) * 4.0f * sign / (n * kPi); });
}

void triangleSeries(Samples& t, int harmonics)
{
    for (int n = 1; n <= harmonics; ++n) {
        const int p = n % 2;
        const float a = ((p - 0.5f) * -8.0f - 4.0f) / (static_cast<float>(n * n) * kPiSquared);
        if (std::fabs(a) < kHarmonicFloor)
            continue;
        for (int k = 0; k < kWaveTableHalf; ++k) {
            const float v = a * std::cos(static_cast<float>(n * k) * kPiOver2000);
            t[k] += v;
            t[kWaveTableLength - 1 - k] += v;
        }
    }
}

void triangleHalf(Samples& t)
{
    for (int k = 0; k < kWaveTableHalf; ++k) {
        const float s = 0.001f * k;
        t[k] = s > 1.0f ? 2.0f - s : s;
    }
}

void chargeCurve(Samples& t, double q)
{
    const double e = 0.0005 * std::log((1.0 + q) / (1.0 - q));
    const int m = -static_cast<int>(std::trunc(std::log(1.0 - q) / e + 0.6));
    for (int k = 0; k < kWaveTableHalf; ++k)
        t[k] = static_cast<float>(k < m ? (1.0 - std::exp(-e * k)) / q : (std::exp(e * (2000 - k)) - 1.0) / q);
    negateIntoSecondHalf(t);
}

void whiteNoise(Samples& t, uint32_t seed)
{
    runtimeSrand(seed);
    for (int k = 0; k < kWaveTableHalf; ++k) {
        t[k] = randomUnit();
        t[kWaveTableHalf + k] = randomUnit();
    }
}

// Midpoint displacement, depth first, left part first.
void displace(Samples& t, float amplitude, float roughness, int start, int span)
{
    while (span > 1) {
        float mid = (t[start] + t[start + span]) / 2.0f + amplitude * randomUnit();
        if (mid > 1.0f)
            mid = 2.0f - mid;
        else if (mid < -1.0f)
            mid = -2.0f - mid;
        t[start + span / 2] = mid;
        amplitude *= roughness;
        displace(t, amplitude, roughness, start, span / 2);
        start += span / 2;
        span -= span / 2;
    }
}

void brownNoise(Samples& t, uint32_t seed)
{
    runtimeSrand(seed);
    t[0] = t[1999] = t[2000] = t[3999] = 0.0f;
    displace(t, kBrownAmplitude, kBrownRoughness, 0, 1999);
    displace(t, kBrownAmplitude, kBrownRoughness, 2000, 1999);
}

void additive(Samples& t, const CSampleWave& wave)
{
    for (int i = 0; i < kWaveTableLength; ++i) {
        double sum = 0.0;
        for (size_t p = 0; p < wave.count; ++p) {
            const CPartial& partial = wave.partials[p];
            const double amplitude = partial.amplitude * wave.gain;
            const double phase = partial.phase + partial.harmonic * wave.phaseShift;
            sum += amplitude * std::sin(kTwoPi * partial.harmonic * i / kWaveTableLength + phase);
        }
        t[i] = static_cast<float>(sum);
    }
}

template <typename F>
void eachFirstHalf(Samples& t, F value)
{
    for (int k = 0; k < kWaveTableHalf; ++k)
        t[k] = value(k);
}

void build(int id, Samples& t)
{
    constexpr double kCharge[7] = {0.25, 0.5, 0.75, 0.95, 0.99, 0.999, 0.99999};
    switch (id) {
    case 0:
        return;
    case 1:
        eachFirstHalf(t, [](int) { return 1.0f; });
        negateIntoSecondHalf(t);
        return;
    case 2:
        return squareSeries(t, 4);
    case 3:
        return squareSeries(t, 6);
    case 4:
        return fourierMirrored(t, 4, [](int n, int p) {
            return ((p - 0.5f) * 2.0f + 4.0f) * 2.0f / (static_cast<float>(n * n) * kPiSquared);
        });
    case 5:
    case 9:
        for (int k = 0; k < kWaveTableHalf; ++k) {
            const float s = id == 5 ? 0.0005f * k : 1.0f - 0.0005f * k;
            t[k] = s;
            t[kWaveTableHalf + k] = s - 1.0f;
        }
        return;
    case 6:
    case 7:
    case 8:
        return sawSeries(t, 4 * (id - 5), 1.0f);
    case 10:
    case 11:
    case 12:
        return sawSeries(t, 4 * (id - 9), -1.0f);
    case 13:
        triangleHalf(t);
        return negateIntoSecondHalf(t);
    case 14:
        return triangleSeries(t, 4);
    case 15:
        return triangleSeries(t, 8);
    case 16:
        eachFirstHalf(t, [](int k) { return std::sin(static_cast<float>(k) * kPiOver2000); });
        return negateIntoSecondHalf(t);
    case 17:
        eachFirstHalf(t, [](int k) {
            const float s = std::sin(static_cast<float>(k) * kPiOver2000);
            return s * s;
        });
        return negateIntoSecondHalf(t);
    case 18:
        eachFirstHalf(t, [](int k) { return std::sin(static_cast<float>(k) * (kPi / 2.0f) * 0.0005f); });
        return negateIntoSecondHalf(t);
    case 19:
        eachFirstHalf(t, [](int k) {
            return 2.0f * (std::cos(static_cast<float>(k) * kPiOver2000) + 0.001f * k - 1.0f);
        });
        return negateIntoSecondHalf(t);
    case 20:
        eachFirstHalf(t, [](int k) {
            if (k == 0)
                return 0.0f;
            const float x = static_cast<float>(k) / 1000.0f - 1.0f;
            return std::sqrt(1.0f - x * x);
        });
        return negateIntoSecondHalf(t);
    case 28:
        return whiteNoise(t, kNoiseSeed1);
    case 29:
        return whiteNoise(t, kNoiseSeed2);
    case 30:
        return brownNoise(t, kNoiseSeed1);
    case 31:
        return brownNoise(t, kNoiseSeed2);
    case 32:
    case 33:
        for (int k = 0; k < kWaveTableLength; ++k)
            t[k] = id == 32 ? static_cast<float>(k) * kHalfSawStep - 1.0f : 1.0f - static_cast<float>(k) * kHalfSawStep;
        return;
    case 34:
        eachFirstHalf(t, [](int) { return 1.0f; });
        return;
    case 35:
        return triangleHalf(t);
    default:
        if (id >= 21 && id <= 27)
            return chargeCurve(t, kCharge[id - 21]);
        if (id >= 36 && id < kTableWaveCount)
            return additive(t, kSampleWaves[id - 36]);
    }
}

// Process-wide set with a count of users. Plain pointer: static holders release it at exit,
// after destructors of this file's objects would already have run.
std::mutex gSetMutex;
CWaveTableSet* gSet = nullptr;
int gUsers = 0;

} // namespace

void CWaveTable::generate(int id)
{
    Samples t(kWaveTableLength, 0.0f);
    build(id, t);
    for (int i = 0; i < kWaveTableLength; ++i)
        m_pairs[static_cast<size_t>(i + 1)].value = t[static_cast<size_t>(i)];
    complete(id);
}

void CWaveTable::complete(int id)
{
    auto at = [this](int i) -> CWavePair& { return m_pairs[static_cast<size_t>(i + 1)]; };
    for (int i = 0; i < kWaveTableLength - 1; ++i)
        at(i).slope = at(i + 1).value - at(i).value;
    at(kWaveTableLength - 1).slope = at(0).value - at(kWaveTableLength - 1).value;
    if (jumpsAtEnd(id))
        at(kWaveTableLength - 1).slope = 0.0f;
    if (jumpsAtMiddle(id))
        at(kWaveTableHalf - 1).slope = 0.0f;
    if (jumpsAtEnd(id)) {
        at(kWaveTableLength) = at(kWaveTableLength - 1);
        at(-1) = at(0);
    } else {
        at(kWaveTableLength) = at(0);
        at(-1) = at(kWaveTableLength - 1);
    }
    long double first = 0.0L, second = 0.0L;
    for (int i = 0; i < kWaveTableHalf; ++i) {
        first += at(i).value;
        second += at(kWaveTableHalf + i).value;
    }
    m_firstHalfMean = static_cast<float>(first) * kMeanScale;
    m_secondHalfMean = static_cast<float>(second) * kMeanScale;
}

CWaveTableSet::CWaveTableSet()
{
    for (int id = 0; id < kTableWaveCount; ++id)
        m_tables[static_cast<size_t>(id)].generate(id);
}

const CWaveTableSet& CWaveTableSet::acquire()
{
    std::lock_guard lock(gSetMutex);
    if (!gSet)
        gSet = new CWaveTableSet;
    ++gUsers;
    return *gSet;
}

void CWaveTableSet::release()
{
    std::lock_guard lock(gSetMutex);
    if (gUsers > 0 && --gUsers == 0) {
        delete gSet;
        gSet = nullptr;
    }
}

const CWaveTable& CWaveTableSet::table(int id) const
{
    return m_tables[static_cast<size_t>(id >= 0 && id < kTableWaveCount ? id : 0)];
}

} // namespace quorvix
