#include "presets/editor_text.h"

#include "dsp/effect_unit.h"
#include "dsp/level_curve.h"
#include "presets/parameter_table.h"
#include "presets/value_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace quorvix {

namespace {

constexpr float kNoteStep = 0.007874016f; // 1/127
constexpr float kFineBeatStep = 0.0019607844f;
constexpr double kOversamplingNoteFactor = 0.9988454217380301;
constexpr float kMinusInfinityDb = -48.0f;
constexpr float kMainVolumeRange = 70.0f;
constexpr float kMainVolumeRead = 0.014285714f;
constexpr float kWetRange = 48.0f;
constexpr float kWetRead = 0.020833334f;
constexpr float kLog2Of10 = 3.3219281f;
constexpr float kSixteenths = 16.0f;
constexpr float kThirtySeconds = 32.0f;

std::string printf1(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string printfInt(const char* format, long long value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// ---- typed text ----------------------------------------------------------------------------

class CTyped {
public:
    explicit CTyped(const std::string& text) : m_text(text)
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }
    bool startsWith(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    bool startsWithEither(char c) const
    {
        return m_pos < m_text.size() && std::tolower(static_cast<unsigned char>(m_text[m_pos])) == c;
    }
    bool contains(char c) const { return m_text.find(c, m_pos) != std::string::npos; }
    std::string lowered() const
    {
        std::string rest = m_text.substr(m_pos);
        for (char& c : rest)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
            rest.pop_back();
        return rest;
    }
    // The leading number; trailing units such as "Hz" or " ms" are allowed.
    bool number(double& x)
    {
        const char* begin = m_text.c_str() + m_pos;
        char* end = nullptr;
        x = std::strtod(begin, &end);
        if (end == begin || std::isnan(x))
            return false;
        m_pos += static_cast<size_t>(end - begin);
        return true;
    }
    // The next integer after what was read, skipping separators such as " " and "/".
    bool nextInteger(long& n)
    {
        while (m_pos < m_text.size() && !std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
        if (m_pos >= m_text.size())
            return false;
        n = std::strtol(m_text.c_str() + m_pos, nullptr, 10);
        return true;
    }
    size_t position() const { return m_pos; }
    char at(size_t i) const { return i < m_text.size() ? m_text[i] : '\0'; }
    void moveTo(size_t i) { m_pos = i; }

private:
    const std::string& m_text;
    size_t m_pos = 0;
};

bool finish(double x, float& value)
{
    if (std::isnan(x))
        return false;
    value = static_cast<float>(std::clamp(x, 0.0, 1.0));
    return true;
}

// "beats sixteenths": the first number times units per beat plus the following number.
bool readBeatsAndParts(CTyped& in, double unitsPerBeat, double& units)
{
    double beats = 0.0;
    if (!in.number(beats))
        return false;
    long parts = 0;
    in.nextInteger(parts);
    units = std::trunc(beats) * unitsPerBeat + static_cast<double>(parts);
    return true;
}

std::string beatsText(int units, float unitsPerBeat)
{
    const float beats = static_cast<float>(units) / unitsPerBeat;
    const int whole = static_cast<int>(beats);
    const int rest = static_cast<int>((beats - static_cast<float>(whole)) * unitsPerBeat + 0.4f);
    char text[48];
    const char* format = unitsPerBeat == kThirtySeconds ? (whole > 9 ? "%d %02d/32B" : "%d %02d/32 B")
                                                        : (whole > 9 ? "%d %02d/16B" : "%d %02d/16 B");
    std::snprintf(text, sizeof text, format, whole, rest);
    return text;
}

std::string sixteenthsText(int n) { return beatsText(n, kSixteenths); }

bool parseFrequencyOrNote(CTyped& in, const CLastNote& lastNote, double& hz)
{
    if (in.startsWith('#')) {
        hz = lastNote.frequency;
        return true;
    }
    return in.number(hz);
}

// A letter of "CDEFGAH" (either case), "#" or "b", and the octave; or "#" for the last note.
bool parseNote(CTyped& in, const CLastNote& lastNote, double& key)
{
    if (in.startsWith('#')) {
        key = lastNote.key;
        return true;
    }
    static const std::map<char, int> kSemitones = {{'c', 0}, {'d', 2}, {'e', 4}, {'f', 5},
                                                   {'g', 7}, {'a', 9}, {'h', 11}};
    size_t pos = in.position();
    const auto letter = kSemitones.find(static_cast<char>(std::tolower(static_cast<unsigned char>(in.at(pos)))));
    if (letter == kSemitones.end())
        return false;
    int semitone = letter->second;
    ++pos;
    if (in.at(pos) == '#') {
        ++semitone;
        ++pos;
    } else if (in.at(pos) == 'b') {
        --semitone;
        ++pos;
    }
    while (in.at(pos) == ' ' || in.at(pos) == '\t')
        ++pos;
    in.moveTo(pos);
    double octave = 0.0;
    if (!in.number(octave))
        return false;
    key = 12.0 * std::trunc(octave) + 24.0 + semitone;
    return true;
}

// ---- per-parameter formatters ----------------------------------------------------------------

struct CFormatter {
    std::function<std::string(float)> show;
    std::function<bool(CTyped&, const CLastNote&, double, double&)> parse;
};

std::string fineText(float v)
{
    if (v < 0.5f)
        return printf1("%1.3f H", 2.0 * v);
    return sixteenthsText(quantizeChoice(2.0f * v - 1.0f, 1, 256));
}

bool parseFine(CTyped& in, const CLastNote&, double, double& v)
{
    if (in.contains('b') || in.contains('B')) {
        double n = 0.0;
        if (!readBeatsAndParts(in, kSixteenths, n))
            return false;
        v = n <= 0.0 ? 0.5 : (n <= 256.0 ? (n - 1.0) * kFineBeatStep + 0.5 : 1.0);
        return true;
    }
    double x = 0.0;
    if (!in.number(x))
        return false;
    v = x / 2.0;
    return true;
}

using Parser = std::function<bool(CTyped&, const CLastNote&, double, double&)>;

// The leading number as the parameter's engine value.
Parser engineNumber(int number)
{
    return [number](CTyped& in, const CLastNote&, double, double& v) {
        double x = 0.0;
        if (!in.number(x))
            return false;
        v = normalizedValue(number, x);
        return true;
    };
}

// The parameter's engine value printed with format.
std::function<std::string(float)> engineText(int number, const char* format)
{
    return [number, format](float v) { return printf1(format, engineValue(number, v)); };
}

// A count of sixteenths from a parameter whose engine value is in beats.
int sixteenthsOf(int number, float v) { return static_cast<int>(engineValue(number, v) * kSixteenths); }

Parser sixteenthsParser(double lowest, double highest, bool zeroBelowOne)
{
    return [=](CTyped& in, const CLastNote&, double, double& v) {
        double n = 0.0;
        if (!readBeatsAndParts(in, kSixteenths, n))
            return false;
        if (zeroBelowOne)
            v = n <= 0.0 ? 0.0 : (std::min(n, highest) - lowest) * kNoteStep;
        else
            v = n < 0.0 ? 0.0 : std::min(n, highest) * kNoteStep;
        return true;
    };
}

// A typed frequency stored as a float can land a hair below its integer; the guard keeps it shown as typed.
constexpr double kHertzGuard = 0.005;

std::string hertzText(double hz) { return printfInt("%dHz", static_cast<long long>(hz + kHertzGuard)); }

std::function<std::string(float)> frequencyText(int number)
{
    return [number](float v) { return hertzText(engineValue(number, v)); };
}

Parser frequencyParser(int number)
{
    return [number](CTyped& in, const CLastNote& lastNote, double, double& v) {
        double hz = 0.0;
        if (!parseFrequencyOrNote(in, lastNote, hz))
            return false;
        v = normalizedValue(number, hz);
        return true;
    };
}

std::string noteKnobText(float v) { return noteName(quantizeChoice(v, 0, 127)); }

bool parseNoteKnob(CTyped& in, const CLastNote& lastNote, double, double& v)
{
    double key = 0.0;
    if (!parseNote(in, lastNote, key))
        return false;
    v = key * kNoteStep;
    return true;
}

std::string mainVolumeText(float v)
{
    const float db = kMainVolumeRange * v + kMinusInfinityDb;
    return v > 0.0f && db > kMinusInfinityDb ? printf1("%2.1f dB", db) : std::string("-oo dB");
}

bool isMinusInfinity(const CTyped& in)
{
    const std::string t = in.lowered();
    return t == "-inf" || t == "-inf db" || t == "-oo" || t == "-oo db";
}

bool parseMainVolume(CTyped& in, const CLastNote&, double, double& v)
{
    if (isMinusInfinity(in)) {
        v = 0.0;
        return true;
    }
    double x = 0.0;
    if (!in.number(x))
        return false;
    v = x <= kMinusInfinityDb ? 0.0 : (x + 48.0) * kMainVolumeRead;
    return true;
}

std::string polyphonyText(float v)
{
    const int n = static_cast<int>(std::floor(16.0f * v));
    if (n == 0)
        return "MonoPorta";
    if (n == 1)
        return "1 Voice";
    return printfInt("%d Voices", n);
}

std::string pitchBendText(float v)
{
    const int range = static_cast<int>(std::floor(25.0f * v)) - 1;
    return range < 0 ? std::string("TUN") : printfInt("%d H", range);
}

bool parsePitchBend(CTyped& in, const CLastNote&, double, double& v)
{
    if (in.startsWithEither('t')) {
        v = 0.0;
        return true;
    }
    double x = 0.0;
    if (!in.number(x))
        return false;
    v = (std::floor(x) + 1.0) * 0.04;
    return true;
}

std::string modPhaseText(float v) { return v == 1.0f ? std::string("Random") : printf1("%1.2f", v); }

bool parseModPhase(CTyped& in, const CLastNote&, double, double& v)
{
    if (in.startsWithEither('r')) {
        v = 1.0;
        return true;
    }
    return in.number(v);
}

constexpr int kOversamplingOctaves = 186;

std::string oversamplingText(float v)
{
    const double octaves = engineValue(kOversamplingOctaves, v);
    return printf1(octaves >= 10.0 ? "%2.1f oc" : "%1.2f oc", octaves);
}

// "#": the octaves from the last note up to the voice rate.
bool parseOversampling(CTyped& in, const CLastNote& lastNote, double sampleRate, double& v)
{
    double octaves = 0.0;
    if (in.startsWith('#'))
        octaves = -std::log2(lastNote.frequency * kOversamplingNoteFactor / sampleRate);
    else if (!in.number(octaves))
        return false;
    v = normalizedValue(kOversamplingOctaves, octaves);
    return true;
}

std::map<int, CFormatter> makeFormatters()
{
    std::map<int, CFormatter> f;
    for (int base : {25, 33, 41}) {
        const int coarse = base + 5;
        f[coarse] = {[coarse](float v) { return printfInt("%d H", static_cast<long long>(engineValue(coarse, v))); },
                     [coarse](CTyped& in, const CLastNote&, double, double& v) {
                         double x = 0.0;
                         if (!in.number(x))
                             return false;
                         v = normalizedValue(coarse, std::trunc(x));
                         return true;
                     }};
        f[base + 6] = {fineText, parseFine};
    }
    f[kOversamplingOctaves] = {oversamplingText, parseOversampling};
    for (int n : {56, 63, 118, 125})
        f[n] = {[n](float v) { return sixteenthsText(sixteenthsOf(n, v)); }, sixteenthsParser(1.0, 128.0, true)};
    for (int n : {57, 64, 119, 126})
        f[n] = {modPhaseText, parseModPhase};
    for (int n : {59, 66, 121, 128, 182})
        f[n] = {[n](float v) { return sixteenthsText(sixteenthsOf(n, v)); }, sixteenthsParser(0.0, 127.0, false)};
    for (int n : {100, 101})
        f[n] = {engineText(n, "%1.3f"), engineNumber(n)};
    f[106] = {[](float v) { return printfInt("%d", static_cast<long long>(engineValue(106, v))); }, engineNumber(106)};
    for (int n : {108, 111})
        f[n] = {frequencyText(n), frequencyParser(n)};
    f[113] = {noteKnobText, parseNoteKnob};
    f[159] = {noteKnobText, parseNoteKnob};
    // The key slope's field shows 2 v, unlike its engine value.
    f[114] = {[](float v) { return printf1("%1.3f", 2.0f * v); },
              [](CTyped& in, const CLastNote&, double, double& v) {
                  double x = 0.0;
                  if (!in.number(x))
                      return false;
                  v = 0.5 * x;
                  return true;
              }};
    f[158] = {engineText(158, "%1.3f"), engineNumber(158)};
    f[160] = {[](float v) { return printf1("%1.1fdB/Oct", 20.0 * std::log10(2.0) * (2.0 * v - 1.0)); },
              [](CTyped& in, const CLastNote&, double, double& v) {
                  double x = 0.0;
                  if (!in.number(x))
                      return false;
                  v = (0.05 * x * kLog2Of10 + 1.0) / 2.0;
                  return true;
              }};
    f[161] = {mainVolumeText, parseMainVolume};
    f[181] = {pitchBendText, parsePitchBend};
    f[184] = {engineText(184, "%1.3f H"), engineNumber(184)};
    f[185] = {polyphonyText, [](CTyped& in, const CLastNote&, double, double& v) {
                  // What the knob shows for 0 reads back as 0.
                  if (in.startsWithEither('m')) {
                      v = 0.0;
                      return true;
                  }
                  double x = 0.0;
                  if (!in.number(x))
                      return false;
                  v = x / 16.0;
                  return true;
              }};
    f[cmd::TuningBase] = {engineText(cmd::TuningBase, "%1.3fH"), engineNumber(cmd::TuningBase)};
    return f;
}

const std::map<int, CFormatter>& formatters()
{
    static const std::map<int, CFormatter> table = makeFormatters();
    return table;
}

// ---- effect knobs ----------------------------------------------------------------------------

// The band amount shown as the level of the gain it adds to the dry signal.
double bandAmountLevel(float v) { return levelOfGain(levelGain(v) + 1.0); }

const CBandScale& bandScale(EEffectKnobText format)
{
    switch (format) {
    case EEffectKnobText::HertzLow:
        return kLowBand;
    case EEffectKnobText::HertzMid:
        return kMidBand;
    default:
        return kHighBand;
    }
}

} // namespace

std::string noteName(int key)
{
    static const char kLetters[] = "CCDDEFFGGAAH";
    static const char kSigns[] = " # #  # # # "; // one sign per letter
    char text[16];
    std::snprintf(text, sizeof text, "%c%c%d", kLetters[((key % 12) + 12) % 12], kSigns[((key % 12) + 12) % 12],
                  key / 12 - 2);
    return text;
}

bool hasEditorText(int number) { return formatters().count(number) != 0; }

std::string editorText(int number, float value)
{
    const auto it = formatters().find(number);
    return it == formatters().end() ? std::string() : it->second.show(value);
}

bool parseEditorText(int number, const std::string& text, const CLastNote& lastNote, double sampleRate, float& value)
{
    const auto it = formatters().find(number);
    if (it == formatters().end())
        return false;
    CTyped in(text);
    double v = 0.0;
    return it->second.parse(in, lastNote, sampleRate, v) && finish(v, value);
}

std::string effectKnobText(EEffectKnobText format, float v)
{
    switch (format) {
    case EEffectKnobText::Milliseconds500:
        return printfInt("%03d ms", static_cast<int>(CEffectUnit::engineValue(slot::Time1, v)));
    case EEffectKnobText::Milliseconds2000:
        return printfInt("%04dms", static_cast<int>(2000.0f * v + 0.5f));
    case EEffectKnobText::HertzLow:
    case EEffectKnobText::HertzMid:
    case EEffectKnobText::HertzHigh: {
        return hertzText(bandScale(format).frequency(v));
    }
    case EEffectKnobText::DecibelWet: {
        const float db = kWetRange * v - kWetRange;
        return db <= kMinusInfinityDb ? std::string("-oo dB") : printf1("%2.1f dB", db);
    }
    case EEffectKnobText::DecibelBand:
        return printf1("%2.1f dB", std::max(0.0, kMainVolumeRange * bandAmountLevel(v) + kMinusInfinityDb));
    case EEffectKnobText::ThirtySeconds:
        return beatsText(quantizeChoice(v, 0, 128), kThirtySeconds);
    case EEffectKnobText::Sixteenths:
        return beatsText(quantizeChoice(v, 0, 128), kSixteenths);
    case EEffectKnobText::Milliseconds25:
        return printf1("%02.1f ms", 25.0 * v);
    case EEffectKnobText::Milliseconds10:
        return printf1("%02.1f ms", 10.0 * v);
    }
    return {};
}

bool parseEffectKnobText(EEffectKnobText format, const std::string& text, const CLastNote& lastNote, float& value)
{
    CTyped in(text);
    double x = 0.0;
    double v = 0.0;
    switch (format) {
    case EEffectKnobText::Milliseconds500:
        if (!in.number(x))
            return false;
        v = CEffectUnit::normalizedValue(slot::Time1, static_cast<float>(std::trunc(std::clamp(x, -1e6, 1e6))));
        break;
    case EEffectKnobText::Milliseconds2000:
        if (!in.number(x))
            return false;
        v = std::trunc(x) * 0.0005;
        break;
    case EEffectKnobText::HertzLow:
    case EEffectKnobText::HertzMid:
    case EEffectKnobText::HertzHigh: {
        if (!parseFrequencyOrNote(in, lastNote, x))
            return false;
        const CBandScale& scale = bandScale(format);
        v = x <= 0.0 ? 0.0 : std::log(x / scale.base) / std::log(scale.ratio);
        break;
    }
    case EEffectKnobText::DecibelWet:
        if (isMinusInfinity(in)) {
            v = 0.0;
            break;
        }
        if (!in.number(x))
            return false;
        v = (x + kWetRange) * kWetRead;
        break;
    case EEffectKnobText::DecibelBand: {
        if (!in.number(x))
            return false;
        // The inverse of the display: level b from dB, then the gain it stands for.
        const double level = (x - kMinusInfinityDb) / kMainVolumeRange;
        const double gain = levelGain(level) - 1.0;
        v = gain <= 0.0 ? 0.0 : levelOfGain(gain);
        break;
    }
    case EEffectKnobText::ThirtySeconds:
        if (!readBeatsAndParts(in, kThirtySeconds, x))
            return false;
        v = x / 128.0;
        break;
    case EEffectKnobText::Sixteenths:
        if (!readBeatsAndParts(in, kSixteenths, x))
            return false;
        v = x / 128.0;
        break;
    case EEffectKnobText::Milliseconds25:
        if (!in.number(x))
            return false;
        v = 0.04 * x;
        break;
    case EEffectKnobText::Milliseconds10:
        if (!in.number(x))
            return false;
        v = 0.1 * x;
        break;
    }
    return finish(v, value);
}

} // namespace quorvix
