// A Scala scale (.scl) with an optional keyboard mapping (.kbm), combined into a TUN dataset
// whose formulas give every key relative to the mapping's reference key.
#pragma once

#include "tuning/error_text.h"

#include <array>
#include <string>

namespace quorvix {

class CTuningDataset;

class CScalaScale {
public:
    CScalaScale();
    virtual ~CScalaScale() = default;

    bool readKeyboardMapping(const std::string& path);
    bool readScale(const std::string& path);
    void computeKeyCents();
    void toDataset(CTuningDataset& dataset);

    const std::string& name() const { return m_name; }
    const std::string& mappingName() const { return m_mappingName; }
    double degree(int i) const { return m_degree[static_cast<size_t>(i < 0 ? 0 : (i > 127 ? 127 : i))]; }
    CErrorText& error() { return m_error; }
    const CErrorText& error() const { return m_error; }

private:
    void resetMapping();
    bool fail(const char* message);
    // The cents of a degree index of any size: whole periods of the last degree plus the rest.
    double extendedDegree(long index) const;

    CErrorText m_error;
    std::string m_name = "Equal tempered (Default)";
    int m_count = 128;
    std::array<double, 128> m_degree {};
    std::array<double, 128> m_keyCents {};
    std::string m_mappingName = "MIDI (Default)";
    int m_mapSize = 0; // 0: linear, every key one degree
    int m_firstKey = 0;
    int m_lastKey = 127;
    int m_middleKey = 60;
    int m_referenceKey = 69;
    double m_referenceFrequency = 440.0;
    int m_octaveDegree = 0; // 0: the scale's last degree
    std::array<int, 128> m_map {};
    int m_line = -1;
};

} // namespace quorvix
