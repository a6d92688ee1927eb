#include "tools/bank_quality.h"

#include "dsp/mod_section.h"
#include "dsp/runtime_rand.h"
#include "dsp/fourier_analyser.h"
#include "dsp/tempo_clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quorvix {

namespace {

constexpr int kMiddleKey = 60;
constexpr int kBassKey = 36;
constexpr int kVelocity = 100;
constexpr uint32_t kSeed = 12345;
constexpr double kHoldSeconds = 1.5;
constexpr double kBassSeconds = 0.7;
constexpr double kSilenceLimitSeconds = 10.0;
constexpr double kSilence = 1e-4; // -80 dBFS
// Once every voice is free and the output quiet this long, nothing comes back: the longest
// echo of a line is 4 beats at 120 BPM, two lines 4 s.
constexpr double kQuietWithEffects = 4.2;
constexpr double kQuietWithout = 0.05;
constexpr int kBlock = 512;
constexpr double kLevelWindow = 0.01; // seconds per level value
constexpr double kFeatureWindow = 0.02;
constexpr double kFeatureSeconds = kHoldSeconds + 1.0;
constexpr double kFloorDb = -60.0;
constexpr int kSpectrumSize = 4096;
constexpr double kFirstBandHz = 40.0;
constexpr int kBands = 27; // thirds of an octave from 40 Hz
constexpr double kLowestCentroidHz = 20.0;

// The rules' numbers.
constexpr double kPeakLow = -18.0, kPeakHigh = -1.0;
constexpr double kFirstPeakLow = -12.0, kFirstPeakHigh = -3.0;
constexpr double kLoudnessSpread = 6.0;
constexpr double kPadHalfPeak = 0.08;
constexpr double kRingSeconds = 0.3, kRingDb = 30.0;
constexpr double kFallSeconds = 1.0, kFallDb = 12.0, kPercussionFallDb = 30.0;
constexpr double kBassCentroid = 600.0;
constexpr double kHoldDb = 20.0;
constexpr double kAlikeDb = 3.0;

double decibels(double x) { return 20.0 * std::log10(std::max(x, 1e-10)); }

struct CTake {
    std::vector<float> left, right;
    int releaseFrame = 0;
    double silentSeconds = std::numeric_limits<double>::infinity();
    bool finite = true;
    double peak = 0.0;
};

// A key held, released and followed until it is silent (or 10 s after the release).
CTake play(CAudition& audition, const CProgram& program, int key, double holdSeconds, bool followRelease)
{
    runtimeSrand(kSeed);
    audition.load(program);
    CTake t;
    t.releaseFrame = static_cast<int>(holdSeconds * kAuditionRate);
    const bool effects = program.effects[0].type != effect::None || program.effects[1].type != effect::None;
    const int quietFrames = static_cast<int>((effects ? kQuietWithEffects : kQuietWithout) * kAuditionRate);
    const int lastFrame = t.releaseFrame + (followRelease ? static_cast<int>(kSilenceLimitSeconds * kAuditionRate) : 0);
    int lastLoud = -1;
    audition.noteOn(key, kVelocity);
    for (int start = 0; start < lastFrame; start += kBlock) {
        if (t.releaseFrame >= start && t.releaseFrame < start + kBlock)
            audition.noteOff(key, t.releaseFrame - start);
        t.left.resize(static_cast<size_t>(start + kBlock));
        t.right.resize(static_cast<size_t>(start + kBlock));
        audition.render(t.left.data() + start, t.right.data() + start, kBlock);
        for (int i = start; i < start + kBlock; ++i) {
            const double a = std::fabs(t.left[static_cast<size_t>(i)]), b = std::fabs(t.right[static_cast<size_t>(i)]);
            if (!std::isfinite(a) || !std::isfinite(b))
                t.finite = false;
            t.peak = std::max({t.peak, a, b});
            if (a >= kSilence || b >= kSilence)
                lastLoud = i;
        }
        if (!t.finite)
            break;
        const int end = start + kBlock;
        if (end > t.releaseFrame && audition.idle() && end - std::max(lastLoud, t.releaseFrame) >= quietFrames) {
            t.silentSeconds = std::max(0.0, (lastLoud - t.releaseFrame) / double(kAuditionRate));
            break;
        }
    }
    return t;
}

// Root mean square of both channels over a stretch, in dB.
double levelDb(const CTake& t, double fromSeconds, double toSeconds)
{
    const size_t a = static_cast<size_t>(std::max(0.0, fromSeconds) * kAuditionRate);
    const size_t b = std::min(t.left.size(), static_cast<size_t>(toSeconds * kAuditionRate));
    double sum = 0.0;
    for (size_t i = a; i < b; ++i)
        sum += double(t.left[i]) * t.left[i] + double(t.right[i]) * t.right[i];
    return b > a ? 10.0 * std::log10(sum / (2.0 * double(b - a)) + 1e-20) : -200.0;
}

std::vector<double> levelCurve(const CTake& t, double window, double seconds)
{
    std::vector<double> levels;
    for (double s = 0.0; s + window <= seconds; s += window)
        levels.push_back(levelDb(t, s, s + window));
    return levels;
}

// Mean magnitude spectrum (left and right averaged) over a stretch.
std::vector<double> meanSpectrum(const CTake& t, double fromSeconds, double toSeconds)
{
    CFourierAnalyser analyser(kSpectrumSize);
    std::vector<double> sum(kSpectrumSize / 2 + 1, 0.0);
    std::vector<float> mono(kSpectrumSize), magnitudes;
    const size_t first = static_cast<size_t>(fromSeconds * kAuditionRate);
    const size_t last = std::min(t.left.size(), static_cast<size_t>(toSeconds * kAuditionRate));
    for (size_t start = first; start + kSpectrumSize <= last; start += kSpectrumSize / 2) {
        for (size_t i = 0; i < static_cast<size_t>(kSpectrumSize); ++i)
            mono[i] = 0.5f * (t.left[start + i] + t.right[start + i]);
        analyser.analyse(mono.data(), magnitudes);
        for (size_t k = 0; k < sum.size(); ++k)
            sum[k] += magnitudes[k];
    }
    return sum;
}

double binHz(size_t bin) { return static_cast<double>(bin) * kAuditionRate / kSpectrumSize; }

std::vector<float> thirdOctaveBands(const std::vector<double>& spectrum)
{
    std::vector<double> power(kBands, 0.0);
    for (size_t k = 1; k < spectrum.size(); ++k) {
        const int band = static_cast<int>(std::floor(3.0 * std::log2(binHz(k) / kFirstBandHz) + 0.5));
        if (band >= 0 && band < kBands)
            power[static_cast<size_t>(band)] += spectrum[k] * spectrum[k];
    }
    const double loudest = *std::max_element(power.begin(), power.end());
    std::vector<float> bands;
    for (double p : power)
        bands.push_back(static_cast<float>(std::max(kFloorDb, 10.0 * std::log10((p + 1e-30) / (loudest + 1e-30)))));
    return bands;
}

double centroid(const std::vector<double>& spectrum)
{
    double weighted = 0.0, total = 0.0;
    for (size_t k = 0; k < spectrum.size(); ++k)
        if (binHz(k) >= kLowestCentroidHz) {
            weighted += binHz(k) * spectrum[k];
            total += spectrum[k];
        }
    return total > 0.0 ? weighted / total : 0.0;
}

// A modulation oscillator or envelope at a host-relative clock that the section uses, or a
// synchronised effect that is heard.
bool usesTempo(const CSound& s)
{
    for (const CEffectSettings& e : s.effects)
        if (isSynchronisedEffect(e.type) && e.mix > 0.0f)
            return true;
    for (ESectionKind kind : {ESectionKind::Oscillator, ESectionKind::Filter}) {
        const CModulationSettings& m = kind == ESectionKind::Oscillator ? s.oscillatorModulation : s.filterModulation;
        CModSection section(kind);
        section.assign(m.combiners);
        for (size_t k = 0; k < 2; ++k) {
            if (section.usesOscillator(static_cast<int>(k)) && m.oscillators[k].wave != 0 &&
                clockFollowsHost(m.oscillators[k].syncKind))
                return true;
            if (section.usesEnvelope(static_cast<int>(k)) && clockFollowsHost(m.envelopes[k].clockKind))
                return true;
        }
    }
    return false;
}

std::string format(const char* f, double a, double b = 0.0)
{
    char text[160];
    std::snprintf(text, sizeof text, f, a, b);
    return text;
}

double meanDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    const size_t n = std::min(a.size(), b.size());
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i)
        sum += std::fabs(double(a[i]) - b[i]);
    return n ? sum / n : 0.0;
}

} // namespace

double loudnessDb(CAudition& audition, const CProgram& program)
{
    runtimeSrand(kSeed);
    const std::array<CLoudness, 2> loudness = measureLoudness(audition.timbre(), program);
    return decibels((loudness[0].loudness + loudness[1].loudness) / 2.0);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : (values[(values.size() - 1) / 2] + values[values.size() / 2]) / 2.0;
}

CProgramMeasures measureProgram(CAudition& audition, const CSourceProgram& sp)
{
    CProgramMeasures m;
    const CProgram& p = sp.program;
    const CTake middle = play(audition, p, kMiddleKey, kHoldSeconds, true);
    m.finite = middle.finite;
    m.peakDb = decibels(middle.peak);
    m.silentSeconds = middle.silentSeconds;

    const std::vector<double> levels = levelCurve(middle, kLevelWindow, kHoldSeconds);
    const double peakLevel = *std::max_element(levels.begin(), levels.end());
    const auto half = std::find_if(levels.begin(), levels.end(), [peakLevel](double l) { return l >= peakLevel - 6.0206; });
    m.halfPeakSeconds = static_cast<double>(half - levels.begin()) * kLevelWindow;
    m.fallDb = peakLevel - levelDb(middle, kFallSeconds - 0.05, kFallSeconds);
    m.holdDb = peakLevel - levelDb(middle, kHoldSeconds - 0.1, kHoldSeconds);
    m.ringDb = peakLevel - levelDb(middle, kHoldSeconds + kRingSeconds, kHoldSeconds + kRingSeconds + 0.05);

    for (double l : levelCurve(middle, kFeatureWindow, kFeatureSeconds))
        m.envelope.push_back(static_cast<float>(std::max(kFloorDb, l - peakLevel)));
    m.bands = thirdOctaveBands(meanSpectrum(middle, 0.1, kHoldSeconds));

    if (sp.category == ECategory::Bass) {
        const CTake bass = play(audition, p, kBassKey, kBassSeconds, false);
        m.finite = m.finite && bass.finite;
        m.peakDb = std::max(m.peakDb, decibels(bass.peak));
        m.centroidHz = centroid(meanSpectrum(bass, 0.05, kBassSeconds));
    }
    m.loudnessDb = loudnessDb(audition, p);
    m.finite = m.finite && std::isfinite(m.loudnessDb);
    m.synchronised = usesTempo(p);
    return m;
}

std::vector<std::string> programFailures(const CSourceProgram& sp, const CProgramMeasures& m, bool firstSound)
{
    std::vector<std::string> f;
    const double low = firstSound ? kFirstPeakLow : kPeakLow, high = firstSound ? kFirstPeakHigh : kPeakHigh;
    if (!m.finite)
        f.push_back("the output holds NaN or infinity");
    if (m.peakDb > 0.0)
        f.push_back(format("the output goes beyond 1.0 (%.1f dBFS)", m.peakDb));
    if (m.peakDb < low || m.peakDb > high)
        f.push_back(format("a middle note at velocity 100 peaks at %.1f dBFS, outside %.0f..", m.peakDb, low) +
                    format("%.0f dBFS", high));
    switch (sp.category) {
    case ECategory::Pad:
        if (m.halfPeakSeconds < kPadHalfPeak)
            f.push_back(format("a pad reaches half its peak after %.0f ms, sooner than 80 ms", 1000.0 * m.halfPeakSeconds));
        if (m.ringDb > kRingDb)
            f.push_back(format("a pad rings on less than 300 ms after release (%.0f dB down then)", m.ringDb));
        break;
    case ECategory::Pluck:
    case ECategory::Bell:
    case ECategory::Percussion: {
        const double need = sp.category == ECategory::Percussion ? kPercussionFallDb : kFallDb;
        if (m.fallDb < need)
            f.push_back(format("falls %.1f dB within a second of its onset, less than %.0f dB", m.fallDb, need));
        break;
    }
    case ECategory::Bass:
        if (m.centroidHz >= kBassCentroid)
            f.push_back(format("a bass with its spectral centroid at %.0f Hz on key 36, not below 600 Hz", m.centroidHz));
        break;
    case ECategory::Sequence:
        if (!m.synchronised)
            f.push_back("a sequence uses no tempo-synchronised source or effect");
        break;
    default:
        if (m.holdDb > kHoldDb)
            f.push_back(format("held for 1.5 s it falls %.1f dB, more than 20 dB: not steady enough to hold", m.holdDb));
        break;
    }
    if (!sp.drone && !(m.silentSeconds <= kSilenceLimitSeconds))
        f.push_back("not silent within 10 s after its release (and not a drone)");
    return f;
}

std::vector<std::pair<size_t, std::string>> loudnessFailures(const std::vector<CProgramMeasures>& bank,
                                                             double& bankMedian)
{
    std::vector<double> values;
    for (const CProgramMeasures& m : bank)
        values.push_back(m.loudnessDb);
    bankMedian = median(values);
    std::vector<std::pair<size_t, std::string>> failures;
    for (size_t i = 0; i < values.size(); ++i)
        if (std::fabs(values[i] - bankMedian) > kLoudnessSpread)
            failures.emplace_back(i, format("loudness %.1f dB lies more than 6 dB from the bank's median %.1f dB",
                                            values[i], bankMedian));
    return failures;
}

double spectrumDistance(const CProgramMeasures& a, const CProgramMeasures& b) { return meanDifference(a.bands, b.bands); }

double envelopeDistance(const CProgramMeasures& a, const CProgramMeasures& b)
{
    return meanDifference(a.envelope, b.envelope);
}

bool soundAlike(const CProgramMeasures& a, const CProgramMeasures& b)
{
    return spectrumDistance(a, b) < kAlikeDb && envelopeDistance(a, b) < kAlikeDb;
}

std::vector<std::string> bankFailures(const CSourceBank& bank, const std::vector<CProgramMeasures>& measures)
{
    std::vector<std::string> out;
    auto name = [&bank](size_t i) {
        return "bank " + std::to_string(bank.selector) + " program " + std::to_string(i) + " \"" +
               bank.programs[i].program.name + "\": ";
    };
    for (size_t i = 0; i < measures.size(); ++i)
        for (const std::string& f : programFailures(bank.programs[i], measures[i], bank.selector == 0 && i == 0))
            out.push_back(name(i) + f);
    double median = 0.0;
    for (const auto& [i, f] : loudnessFailures(measures, median))
        out.push_back(name(i) + f);
    for (size_t i = 0; i < measures.size(); ++i)
        for (size_t j = i + 1; j < measures.size(); ++j) {
            const bool sameSettings = static_cast<const CSound&>(bank.programs[i].program) == bank.programs[j].program;
            if (sameSettings || soundAlike(measures[i], measures[j]))
                out.push_back(name(j) + "alike program " + std::to_string(i) + " \"" + bank.programs[i].program.name +
                              "\"" + (sameSettings ? " (the same settings)" : " (spectrum and level curve)"));
        }
    return out;
}

} // namespace quorvix
