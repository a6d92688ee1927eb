// A tuning: the frequency of every MIDI key with two display names, changed by tuning files and
// MIDI Tuning Standard messages and stored in the chunk.
#pragma once

#include "tuning/error_text.h"

#include <array>
#include <cstdint>
#include <string>

namespace quorvix {

class CByteReader;
class CByteWriter;
class CTuningDataset;

constexpr int kTuningKeys = 128;
constexpr double kKeyZeroHz = 8.175798915643707;
constexpr int kBulkDumpSize = 408;
constexpr int kKeyBasedDumpSize = 409;
// lastMessageType when no message addressed the tuning.
constexpr int kNoMessage = 255;

// The message type when a MIDI Tuning Standard message addresses id, else kNoMessage. Nothing
// past length is read.
int mtsAddressee(const uint8_t* bytes, int length, int id);

class CTuning;

// The editor's texts for the tuning state of a timbre under a tuning source.
std::string tuningText(int source, const CTuning& main);
std::string destinationText(int source, const CTuning& destination);
std::string mappingText(int source, const CTuning& main);

class CTuning {
public:
    CTuning();
    virtual ~CTuning() = default;

    // Equal temperament and the default names; the error and message state stay.
    void reset();
    // Keys outside 0..127 read and write the nearest end.
    double frequency(int key) const { return m_frequency[clampKey(key)]; }
    void setFrequency(int key, double hz) { m_frequency[clampKey(key)] = hz; }
    bool isEqual(const CTuning& other) const;
    // reset, then, with a dataset, its name for both names and its frequency of every mapped key.
    void loadFromScale(const CTuningDataset* dataset);
    // The dataset takes this tuning's names and frequencies as literal formulas.
    void exportToScale(CTuningDataset& dataset) const;

    // Applies one message for id; returns the message type taken, or kNoMessage. Messages
    // shorter than their type's layout change nothing.
    int processMtsMessage(const uint8_t* bytes, int length, int id);
    void buildBulkDump(std::array<uint8_t, kBulkDumpSize>& dump) const;
    void buildKeyBasedDump(std::array<uint8_t, kKeyBasedDumpSize>& dump) const;

    void writeChunk(CByteWriter& out) const;
    // Starts from reset; false on a wrong tag, version or form (the chunk is then abandoned).
    bool readChunk(CByteReader& in);

    const std::string& name() const { return m_name; }
    const std::string& mappingName() const { return m_mappingName; }
    void setName(const std::string& name) { m_name = name; }
    void setMappingName(const std::string& name) { m_mappingName = name; }
    int lastMessageType() const { return m_lastMessageType; }
    bool realtimeChange() const { return m_realtimeChange != 0; }
    bool noteChanged(int key) const { return m_noteChanged[clampKey(key)] != 0; }
    CErrorText& error() { return m_error; }
    const CErrorText& error() const { return m_error; }

private:
    static size_t clampKey(int key) { return static_cast<size_t>(key < 0 ? 0 : (key > 127 ? 127 : key)); }
    void readName(const uint8_t* bytes);
    void readFrequencyGroups(const uint8_t* bytes);
    void readNoteChanges(const uint8_t* groups, int count, bool realtime);
    void setScaleOctave(const std::array<double, 12>& cents);
    void markAllNotes(int32_t flag);

    int32_t m_lastMessageType = kNoMessage;
    int32_t m_realtimeChange = 0;
    std::array<int32_t, kTuningKeys> m_noteChanged {};
    CErrorText m_error;
    std::string m_name;
    std::string m_mappingName;
    std::array<double, kTuningKeys> m_frequency {};
};

} // namespace quorvix
