#include "presets/value_names.h"

namespace quorvix {

namespace {

constexpr const char* kUnknown = "UNKNOWN";

const char* const kWaves[kOscillatorWaveCount] = {
    "None",       "Square",      "Square FS1",   "Square FS2",   "DownSqr FS",   "Saw Up",      "Saw Up FS1",
    "Saw Up FS2", "Saw Up FS3",  "Saw Down",     "Saw Down FS1", "Saw Down FS2", "Saw Down FS3", "Triangle",
    "Triangle FS1", "Triangle FS2", "Sine",      "SqrSine",      "HalfSine",     "IncCos",      "Circle",
    "Cond25",     "Cond50",      "Cond75",       "Cond95",       "Cond99A",      "Cond99B",     "Cond99C",
    "NoiseWht1",  "NoiseWht2",   "NoiseBrn1",    "NoiseBrn2",    "HalfSawUp",    "HalfSawDown", "HalfSquareUp",
    "HalfTriUp",  "Sample_04a",  "Sample_04b",   "Sample_04c",   "Sample_04SP",  "Sample_07a",  "Sample_07b",
    "Sample_09a", "Sample_09b",  "Sample_10",    "Sample_11",    "Sample_17",    "Sample_25",   "Sample_26",
    "Sample_30",  "Sample_31",   "Sample_32",    "Sample_34",    "Feedback",
};

const char* const kOperators[kOperatorCount] = {
    "Mix",        "SqrMix",       "Ring",             "Ring 2",    "Diff",        "Min",   "Max",
    "FM",         "XFM",          "XFM 2",            "PM",        "Reflection",  "Reflection 2",
    "Rate Variation", "Rate Variation 2", "Bit Depth", "Bit Depth 2", "Blend",   "VarBlend", "Complex",
    "Complex Soft",
};

const char* const kSyncKinds[kSyncKindCount] = {
    "MIDI", "1,5 x MIDI", "2 x MIDI", "3 x MIDI", "5 x MIDI", "1/3 x MIDI", "1/2 x MIDI",
    "60 BPM", "120 BPM", "180 BPM", "240 BPM", "10 BPS", "1 BPM",
};

const char* const kOversamplingModes[kOversamplingModeCount] = {"OFF", "Frequency", "Always"};

const char* const kDelayModes[kDelayModeCount] = {"Delay", "Hold", "Continue"};

const char* const kShapes[kShapeCount] = {
    "Linear",      "Sine",       "DblSine",    "SqrSine",    "Rect",        "Saw",        "Triangle",
    "Circle",      "Invert",     "IncSine",    "IncDblSine", "IncSqrSine",  "IncRect",    "IncSaw",
    "IncTriangle", "IncCircle",  "AsymSine",   "SoftLimiter", "PosSine",    "IncPosSine", "BorderPeak",
    "Treble",      "Morph-Tri",  "Morph-Sin1", "Morph-Sin2",
};

const char* const kFilterTypes[kFilterTypeCount] = {
    "None",        "Bessel Low",              "Double Butterworth Low", "Chebyshev Low", "Bessel High",
    "Double Butterworth High", "Chebyshev High", "BandPass",            "Notch",
};

const char* const kEffectTypes[kEffectTypeCount] = {
    "None",           "OneShot Delay",      "Delay",           "X-Delay",           "Spread Delay",
    "Diff. Delay",    "Pan.Diff.Delay",     "Multi-Delay",     "Chorus",            "Flanger",
    "Phaser",         "Freq-Boost",         "OneShot Delay (S)", "Delay (S)",       "X-Delay (S)",
    "Spread Delay (S)", "Diff. Delay (S)",  "Pan.Diff.Delay (S)", "Multi-Delay (S)", "Chorus (S)",
    "Flanger (S)",    "Phaser (S)",
};

template <int N>
const char* pick(const char* const (&names)[N], int id, const char* outside = kUnknown)
{
    return id >= 0 && id < N ? names[id] : outside;
}

} // namespace

const char* waveName(int id) { return pick(kWaves, id); }
const char* operatorName(int id) { return pick(kOperators, id); }
const char* syncKindName(int kind) { return pick(kSyncKinds, kind); }
const char* oversamplingModeName(int mode) { return pick(kOversamplingModes, mode); }
const char* delayModeName(int mode) { return pick(kDelayModes, mode, "ERROR"); }
const char* filterTypeName(int type) { return pick(kFilterTypes, type); }
const char* effectTypeName(int type) { return pick(kEffectTypes, type); }

const char* shapeName(int id, bool secondShape)
{
    if (id == 0 && secondShape)
        return "None";
    return pick(kShapes, id);
}

} // namespace quorvix
