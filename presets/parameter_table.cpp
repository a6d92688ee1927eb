#include "presets/parameter_table.h"

#include <array>

namespace quorvix {

namespace {

constexpr std::array<int, kAliasCount> kAliasTargets = {
    27, 28, 29, 32, 35, 36, 37, 40, 43, 44, 45, 48, 100, 101, 104, 107, 108, 109, 111, 112, 161, 162, 171, 180, 1011,
};

const CParameterInfo kUnknown = {"UNKNOWN", "***ERR***"};
const CParameterInfo kOscModCombiner = {"OSCMod Combiner", "***ERR***"};
const CParameterInfo kFilterModCombiner = {"FilterMod Combiner", "***ERR***"};

constexpr int kOscModCombinerFirst = 67;
constexpr int kOscModCombinerLast = 95;
constexpr int kFilterModCombinerFirst = 129;
constexpr int kFilterModCombinerLast = 157;
constexpr int kLastTimbreParameter = 186;

struct CNumberedInfo {
    int number;
    CParameterInfo info;
};

constexpr const char* kWave = " Wave ";
constexpr const char* kPercent = " % ";
constexpr const char* kGrad = " Grad ";
constexpr const char* kHalftones = " Halftones ";
constexpr const char* kMode = " Mode ";
constexpr const char* kSource = " Source ";
constexpr const char* kBoolean = " Boolean ";
constexpr const char* kBeats = " Beats ";
constexpr const char* kModus = " Modus ";
constexpr const char* kShape = " Shape ";
constexpr const char* kType = " Type ";
constexpr const char* kHz = " Hz ";
constexpr const char* kNote = " Note ";
constexpr const char* kDecibel = " dB ";
constexpr const char* kMs = " ms ";
constexpr const char* kBlank = "  ";
constexpr const char* kNone = "";

const CNumberedInfo kTable[] = {
    {25, {"OSC1 1st", kWave}}, {26, {"OSC1 2nd", kWave}}, {27, {"OSC1Pulse", kPercent}}, {28, {"O1 Symm.", kPercent}},
    {29, {"O1 Phase", kGrad}}, {30, {"O1 Detune Coarse", kHalftones}}, {31, {"O1 Detune Fine", kHalftones}},
    {32, {"O1 Weight", kPercent}},
    {33, {"OSC2 1st", kWave}}, {34, {"OSC2 2nd", kWave}}, {35, {"OSC2Pulse", kPercent}}, {36, {"O2 Symm.", kPercent}},
    {37, {"O2 Phase", kGrad}}, {38, {"O2 Detune Coarse", kHalftones}}, {39, {"O2 Detune Fine", kHalftones}},
    {40, {"O2 Weight", kPercent}},
    {41, {"OSC3 1st", kWave}}, {42, {"OSC3 2nd", kWave}}, {43, {"OSC3Pulse", kPercent}}, {44, {"O3 Symm.", kPercent}},
    {45, {"O3 Phase", kGrad}}, {46, {"O3 Detune Coarse", kHalftones}}, {47, {"O3 Detune Fine", kHalftones}},
    {48, {"O3 Weight", kPercent}},
    {49, {"OSC 1&2 Mix", kMode}}, {50, {"OSC 3&12 Mix", kMode}}, {51, {"OSC Tune Sync", kSource}},
    {52, {"OSC Oversampling", kMode}},
    {53, {"Mod1Wave", kWave}}, {54, {"Mod1Once/FirstKey", kBoolean}}, {55, {"Mod1Sync", kSource}},
    {56, {"Mod1Speed", kBeats}}, {57, {"Mod1Phase", kGrad}}, {58, {"Mod1DelayModus", kModus}},
    {59, {"Mod1Delay", kBeats}},
    {60, {"Mod2Wave", kWave}}, {61, {"Mod2Once/FirstKey", kBoolean}}, {62, {"Mod2Sync", kSource}},
    {63, {"Mod2Speed", kBeats}}, {64, {"Mod2Phase", kGrad}}, {65, {"Mod1DelayModus", kModus}},
    {66, {"Mod2Delay", kBeats}},
    {96, {"OSC Shape 2", kShape}}, {97, {"OSC Shape 1", kShape}}, {98, {"ShapeParam", kPercent}},
    {99, {"ShapeSmooth", kPercent}}, {100, {"ShapeGain", kDecibel}}, {101, {"ShapePos.", kBlank}},
    {102, {"PostFilter", kBoolean}}, {103, {"LimiterBug", kBoolean}}, {104, {"ShapeMix", kPercent}},
    {105, {"Filter", kType}}, {106, {"Level", kType}}, {107, {"FiltParam", kPercent}}, {108, {"FiltFreq", kHz}},
    {109, {"ResWeight", kPercent}}, {110, {"Res.Sep.", kBoolean}}, {111, {"Res.Freq.", kHz}},
    {112, {"Resonance", kBlank}}, {113, {"KeybMid", kNote}}, {114, {"KeybSlope", " %Freq/Note "}},
    {115, {"FMod Wave", kWave}}, {116, {"FModOnce/FirstKey", kBoolean}}, {117, {"FMod Sync", kSource}},
    {118, {"FModSpeed", kBeats}}, {119, {"FModPhase", kGrad}}, {120, {"FMod1DelayModus", kModus}},
    {121, {"FModDelay", kBeats}},
    {122, {"FMod Wave", kWave}}, {123, {"FModOnce/FirstKey", kBoolean}}, {124, {"FMod Sync", kSource}},
    {125, {"FModSpeed", kBeats}}, {126, {"FModPhase", kGrad}}, {127, {"FMod2DelayModus", kModus}},
    {128, {"FModDelay", kBeats}},
    {158, {"Dynamic", kBoolean}}, {159, {"VolKeybMid", kNote}}, {160, {"VolKeybSlope", kDecibel}},
    {161, {"Main Vol.", kDecibel}}, {162, {"Pan", " % Left "}},
    {163, {"Effect 1", kType}}, {164, {"FX1 Time 1", kMs}}, {165, {"FX1 Time 2", kMs}},
    {166, {"FX1 Depth 1", kMs}}, {167, {"FX1 Depth 2", kMs}}, {168, {"FX1 Gain 1", kPercent}},
    {169, {"FX1 Gain 2", kPercent}}, {170, {"FX1 Spread", kPercent}}, {171, {"FX1 Mix", kPercent}},
    {172, {"Effect 2", kType}}, {173, {"FX2 Time 1", kMs}}, {174, {"FX2 Time 2", kMs}},
    {175, {"FX2 Depth 1", kMs}}, {176, {"FX2 Depth 2", kMs}}, {177, {"FX2 Gain 1", kPercent}},
    {178, {"FX2 Gain 2", kPercent}}, {179, {"FX2 Spread", kPercent}}, {180, {"FX2 Mix", kPercent}},
    {181, {"PitchBend", kHalftones}}, {182, {"Portamento", kBeats}}, {183, {"PortaSync", kSource}},
    {184, {"Dirty Tuning", kHalftones}}, {185, {"Polyphony", "Voices"}}, {186, {"OSC Oversampling", " Octave "}},
    {1000, {"Update Controls", kNone}}, {1001, {"OSCMod LEnv 1", kNone}}, {1002, {"OSCMod LEnv 2", kNone}},
    {1003, {"FilterMod LEnv 1", kNone}}, {1004, {"FilterMod LEnv 2", kNone}}, {1005, {"ADSR LEnv", kNone}},
    {1006, {"Channel", kNone}}, {1007, {"Program", kNone}}, {1008, {"Program -1", kNone}},
    {1009, {"Program +1", kNone}}, {1010, {"Store Preset", "KickButton"}}, {1011, {"Quality", kBlank}},
    {1012, {"Copy Preset", kNone}}, {1013, {"Paste Preset", kNone}}, {1014, {"Swap Preset", kNone}},
    {1015, {"Init Preset", kNone}}, {1016, {"LoadBankSelector", kNone}}, {1017, {"KnobMode", kNone}},
    {1018, {"TuningSource", kNone}}, {1020, {"TuningBase", kNone}}, {1021, {"OSC-Oversampling", kNone}},
    {1022, {"Mono Timbral Mode", kNone}}, {1023, {"AutoStorePresetChanges", kNone}},
    {1024, {"NaviButton Overview", kNone}}, {1025, {"NaviButton OSC", kNone}},
    {1026, {"NaviButton OSCMod", kNone}}, {1027, {"NaviButton WaveShaper", kNone}},
    {1028, {"NaviButton Filter", kNone}}, {1029, {"NaviButton FilterMod", kNone}},
    {1030, {"NaviButton Envelope", kNone}}, {1031, {"NaviButton Misc", kNone}},
    {1032, {"SkinSelector", kNone}}, {1033, {"LogoAboutBox", kNone}},
};

constexpr int kSlotCount = kParametersPerTimbre + (kLastCommand - kFirstCommand + 1);

// Flat lookup by slot: numbers 0..199 map to themselves, commands follow.
int slotOf(int number)
{
    if (number >= 0 && number < kParametersPerTimbre)
        return number;
    if (number >= kFirstCommand && number <= kLastCommand)
        return kParametersPerTimbre + number - kFirstCommand;
    return -1;
}

struct CLookup {
    std::array<const CParameterInfo*, kSlotCount> slots {};
    CLookup()
    {
        for (auto& s : slots)
            s = &kUnknown;
        for (int n = kOscModCombinerFirst; n <= kOscModCombinerLast; ++n)
            slots[slotOf(n)] = &kOscModCombiner;
        for (int n = kFilterModCombinerFirst; n <= kFilterModCombinerLast; ++n)
            slots[slotOf(n)] = &kFilterModCombiner;
        for (const auto& row : kTable)
            slots[slotOf(row.number)] = &row.info;
    }
};

const CLookup& lookup()
{
    static const CLookup table;
    return table;
}

} // namespace

int resolveParameterNumber(int number)
{
    if (number >= 0 && number < kAliasCount)
        return kAliasTargets[number];
    return number;
}

const CParameterInfo& parameterInfo(int number)
{
    const int slot = slotOf(number);
    return slot < 0 ? kUnknown : *lookup().slots[slot];
}

bool isReservedParameter(int number)
{
    if (number >= kOscModCombinerFirst && number <= kOscModCombinerLast)
        return true;
    if (number >= kFilterModCombinerFirst && number <= kFilterModCombinerLast)
        return true;
    if (number > kLastTimbreParameter && number < kFirstCommand)
        return true;
    return &parameterInfo(number) == &kUnknown;
}

} // namespace quorvix
