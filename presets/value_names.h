// The names of the choices that parameters select, as shown to the user.
#pragma once

namespace quorvix {

constexpr int kOscillatorWaveCount = 54;    // the last, "Feedback", only for audio oscillators
constexpr int kModOscillatorWaveCount = 53;
constexpr int kOperatorCount = 21;
constexpr int kSyncKindCount = 13;
constexpr int kOversamplingModeCount = 3;
constexpr int kDelayModeCount = 3;
constexpr int kShapeCount = 25;
constexpr int kFilterTypeCount = 9;
constexpr int kEffectTypeCount = 22;

// Each returns "UNKNOWN" for an id outside its list.
const char* waveName(int id);
const char* operatorName(int id);
const char* syncKindName(int kind);
const char* oversamplingModeName(int mode);
const char* delayModeName(int mode); // "ERROR" outside the list
// Shape 0 is "Linear" for the first shape and "None" for the second.
const char* shapeName(int id, bool secondShape);
const char* filterTypeName(int type);
const char* effectTypeName(int type);

} // namespace quorvix
