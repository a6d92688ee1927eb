// The parameter table: for every number its name, unit label, and how a normalized value
// becomes the engine value, is read back from it and is shown.
#pragma once

#include "presets/command_host.h"

#include <functional>
#include <string>

namespace quorvix {

class CTimbre;
class CVoice;

// Host index space: five blocks of 200 numbers (selected timbre, timbres 1 to 4),
// then the editor commands, which no host sees.
constexpr int kParametersPerTimbre = 200;
constexpr int kHostParameterCount = 1000;
constexpr int kFirstCommand = 1000;
constexpr int kLastCommand = 1033;
constexpr int kAliasCount = 25;
// After a program change the editor is refreshed up to this number.
constexpr int kLastProgramParameter = 187;

namespace cmd {
constexpr int UpdateControls = 1000;
constexpr int OscModEnvelope1 = 1001;
constexpr int AdsrEnvelope = 1005;
constexpr int Channel = 1006;
constexpr int Program = 1007;
constexpr int ProgramMinus = 1008;
constexpr int ProgramPlus = 1009;
constexpr int StorePreset = 1010;
constexpr int Quality = 1011;
constexpr int CopyPreset = 1012;
constexpr int PastePreset = 1013;
constexpr int SwapPreset = 1014;
constexpr int InitPreset = 1015;
constexpr int LoadBankSelector = 1016;
constexpr int KnobMode = 1017;
constexpr int TuningSource = 1018;
constexpr int TuningBase = 1020;
constexpr int OscOversampling = 1021;
constexpr int MonoTimbralMode = 1022;
constexpr int AutoStorePresetChanges = 1023;
constexpr int NaviButtonFirst = 1024;
constexpr int SkinSelector = 1032;
constexpr int LogoAboutBox = 1033;
} // namespace cmd

// The engine values setParameter can give a number: what normalized 0 and 1 become.
struct CEngineRange {
    double low = 0.0;
    double high = 0.0;
};

// How a host may present a value: as a switch, as whole numbers over the engine range, or continuous.
enum class EValueKind { Continuous, Switch, Integer };

// The parts of a sound that hosts may group parameters by.
enum class EParameterSection {
    Oscillators,
    OscillatorModulation,
    Shaper,
    Filter,
    FilterModulation,
    VolumeAndEffects,
    Misc,
};
constexpr int kParameterSectionCount = 7;

// What a parameter does to a timbre. A record without set carries no value of its own:
// setting is ignored and it reads 0.
struct CParameterRecord {
    const char* name = "UNKNOWN";
    const char* label = "***ERR***";
    std::function<void(CTimbre&, float)> set;          // v already within 0..1
    std::function<void(CVoice&, float)> setVoice;      // one voice only; empty for timbre-wide values
    std::function<float(const CTimbre&)> get;          // recomputed from the engine value
    std::function<std::string(const CTimbre&)> display; // the host's display text
    // Normalized value (0..1) to engine value and back; empty for numbers without a value.
    std::function<double(float)> toEngine;
    std::function<float(double)> toValue;
    CEngineRange range; // what 0 and 1 give
    EValueKind kind = EValueKind::Continuous;
    // Editor commands that the plug-in acts on: the action (v already within 0..1) and the value
    // read back; empty for every other number.
    std::function<ECommandChange(CCommandHost&, float)> run;
    std::function<float(const CCommandHost&)> read;
};

// number is a resolved parameter number; NaN is ignored and values outside 0..1 are the nearest end.
void setParameterValue(CTimbre& timbre, int number, float value);
// Hosts get values within 0..1 whatever the read-back formula's rounding leaves.
float parameterValue(const CTimbre& timbre, int number);
std::string parameterText(const CTimbre& timbre, int number);
// The same for one voice (a controller): voice values reach that voice, timbre values the timbre.
void setVoiceParameter(CTimbre& timbre, CVoice& voice, int number, float value);

// Numbers 0 to 24 are aliases that put the most-used continuous parameters first.
int resolveParameterNumber(int number);

// The record of a resolved number; numbers without a parameter have the "UNKNOWN" record.
const CParameterRecord& parameterRecord(int number);

// The section of a resolved number; aliases take their target's.
EParameterSection parameterSection(int number);
const char* sectionName(EParameterSection section);

// The record of an editor command (an index from 1000 to 1033); null for every other index.
const CParameterRecord* commandRecord(int index);

// The engine value of a normalized value (0..1), and the normalized value of an engine value;
// 0 for numbers without a value.
double engineValue(int number, float value);
float normalizedValue(int number, double engine);

// A stored engine value brought within what setParameter could have given the number: NaN
// takes the fallback, everything else the nearest value of the range.
double limitToParameter(int number, double value, double fallback);

} // namespace quorvix
