// Numbering, names and unit labels of the per-timbre parameters and editor commands.
#pragma once

namespace quorvix {

// Host index space: five blocks of 200 numbers (selected timbre, timbres 1 to 4),
// then the editor commands, which no host sees.
constexpr int kParametersPerTimbre = 200;
constexpr int kHostParameterCount = 1000;
constexpr int kFirstCommand = 1000;
constexpr int kLastCommand = 1033;
constexpr int kAliasCount = 25;

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

struct CParameterInfo {
    const char* name;
    const char* label;
};

// Numbers 0 to 24 are aliases that put the most-used continuous parameters first.
int resolveParameterNumber(int number);

// Name and unit label of a resolved number; "UNKNOWN" and "***ERR***" where there is no parameter.
const CParameterInfo& parameterInfo(int number);

// True for the numbers that carry no value of their own (combiner slots, 187 to 199, unknown).
bool isReservedParameter(int number);

} // namespace quorvix
