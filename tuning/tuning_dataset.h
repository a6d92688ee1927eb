// One tuning dataset of the TUN format: descriptive information, 128 scale-note frequencies in
// up to three generations ([Tuning], [Exact Tuning], [Functional Tuning]), a keyboard mapping
// and the MIDI channels it serves.
#pragma once

#include "tuning/error_text.h"
#include "tuning/line_reader.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quorvix {

constexpr int kScaleNotes = 128;
// The three generations of the format, as version numbers.
constexpr int kTunVersion0 = 0;
constexpr int kTunVersion1 = 100;
constexpr int kTunVersion2 = 200;
constexpr const char* kWriteFileError = "Error writing the file.";

struct CNoteReference {
    virtual ~CNoteReference() = default;
    int32_t kind = 2; // 0 a literal value, 1 an absolute note, 2 a note relative to the entry's
    int32_t index = 0;
    double value = 0.0;
};

struct CFormulaEntry {
    CFormulaEntry() { addend.kind = 0; }
    virtual ~CFormulaEntry() = default;
    int32_t note = 0;
    double absoluteFrequency = 0.0; // 0: not used
    CNoteReference reference;
    double multiplier = 1.0;
    double divisor = 1.0;
    double cents = 0.0;
    CNoteReference addend;
    int32_t loopCount = 0;
};

// Parses a formula of [Functional Tuning] for the note; false when it is not one.
bool parseFormula(const std::string& text, int note, CFormulaEntry& entry);
// The formula's text as the writer prints it.
std::string printFormula(const CFormulaEntry& entry);

struct CChannelRange {
    int32_t lo = 1;
    int32_t hi = 1;
};

class CTuningDataset {
public:
    CTuningDataset();
    virtual ~CTuningDataset() = default;

    void reset();
    // 1 read, 0 no dataset before the end of the stream, -1 an error (in error()).
    int read(std::istream& in, CLineReader& lines);
    // All versions of lowest..highest (0, 100, 200); false for an inverted range, and with the
    // write-failure text when a key of versions 0 or 1 has no positive, finite frequency.
    bool write(std::ostream& out, int lowest, int highest);
    // Lines end with CR LF, as the format's own files do.
    bool writeFile(const std::string& path, int lowest, int highest);

    void setInitEqual(int note, double hz);
    // Evaluates the entry into the frequencies and appends it; false when it refers to a note
    // outside 0..127.
    bool addFormula(const CFormulaEntry& entry);
    int mapKey(int key) const;
    void resetMapping();
    bool channelAssigned(int channel) const;
    std::string assignmentText() const;
    bool setAssignment(const std::string& text);

    double frequency(int note) const { return m_frequency[clampNote(note)]; }
    const std::vector<CFormulaEntry>& formulas() const { return m_formulas; }
    const std::vector<CChannelRange>& assignment() const { return m_assignment; }
    void clearAssignment() { m_assignment.clear(); }
    void addChannel(int channel) { m_assignment.push_back({channel, channel}); }
    int keyboardMap(int key) const { return m_keyboardMap[clampNote(key)]; }
    int loopSize() const { return m_loopSize; }
    int initNote() const { return m_initNote; }
    double initFrequency() const { return m_initFrequency; }
    CErrorText& error() { return m_error; }
    const CErrorText& error() const { return m_error; }
    int line() const { return m_line; }

    std::string name, id, filename, author, location, contact, editor, editorSpecs, description;
    std::vector<std::string> keywords;
    std::string history, geography, instrument;
    std::vector<std::string> compositions;
    std::string comments, format;
    int32_t formatVersion = 0;
    std::string formatSpecs, date;

    // False when a key has no positive, finite frequency, whose cents no version 0 or 1 file holds.
    bool frequenciesWritable() const;

private:
    static size_t clampNote(int n) { return static_cast<size_t>(n < 0 ? 0 : (n > 127 ? 127 : n)); }
    struct CReadState;
    bool fail(const char* message);
    int failed(const char* message); // fail, as the result of read
    std::string* infoField(int key);
    bool readKey(CReadState& state, const std::string& line);
    bool readInfo(int key, const std::string& value);
    bool readInitEqual(const std::string& value);
    bool finish(const CReadState& state);
    void appendPlainFormulas(const std::array<double, kScaleNotes>& cents);

    CErrorText m_error;
    int32_t m_line = -1;
    int32_t m_initNote = 69;
    double m_initFrequency = 440.0;
    std::array<double, kScaleNotes> m_frequency {};
    std::vector<CFormulaEntry> m_formulas;
    std::array<int32_t, kScaleNotes> m_keyboardMap {};
    int32_t m_loopSize = 0;
    std::vector<CChannelRange> m_assignment;
};

} // namespace quorvix
