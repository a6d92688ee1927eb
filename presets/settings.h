// Installation settings and their "QXSF" record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvix {

constexpr int kSettingsVersion = 4;
constexpr size_t kMaxSkinNameLength = 260;

struct CSettings {
    int32_t startCounter = -1;
    bool monoTimbral = true;
    bool knobMode = true;
    int oscOversampling = 1;  // 0 off, 1 per program, 2 on wherever a program allows it
    bool autoStore = true;
    bool reservedFlag = true; // kept and written back, no other use
    int32_t bankSelector = 0;
    std::string skinName = "Bones";
};

// Applies the fields of a record of versions 0 to 4 onto settings. A record with another magic,
// a newer version or of 4 bytes or less leaves settings alone and returns false. Fields missing
// from a short record keep their current values.
bool parseSettingsRecord(const std::vector<uint8_t>& record, CSettings& settings);

// The version 4 record.
std::vector<uint8_t> buildSettingsRecord(const CSettings& settings);

// The start counter is process-wide: the first read in a process takes the stored value plus one.
int32_t processStartCounter();
void noteStoredStartCounter(int32_t stored);

// "KnobMode" is one value for every instance of the process.
bool processKnobMode();
void setProcessKnobMode(bool on);

} // namespace quorvix
