#include "tuning/tuning.h"

#include "base/byte_stream.h"
#include "tuning/tuning_dataset.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr uint8_t kNonRealtime = 0x7E;
constexpr uint8_t kRealtime = 0x7F;
constexpr uint8_t kTuningSubId = 0x08;
constexpr uint8_t kAllDevices = 0x7F;
constexpr int kNameBytes = 16;
constexpr int kGroupBytes = 3;
constexpr double kHighestGroupHz = 13289.73;
constexpr double kFractionSteps = 16384.0;
constexpr int kChunkVersion = 3;
constexpr size_t kMaxChunkText = 4096;
// A stored frequency beyond this is no tuning (and would make the oscillators useless).
constexpr double kMaxStoredHz = 1.0e6;
const char* const kDefaultName = "Equal tempered (Default)";
const char* const kDefaultMapping = "MIDI (Default)";
const char* const kDumpName = "Quorvix Tune 000";
const char* const kExportInstrument = "Quorvix VSTi Synthesizer";
const char* const kExportComments = "Exported by Quorvix VSTi Synthesizer; https://quorvix.org";

namespace mts {
constexpr int DumpRequest = 0;
constexpr int BulkDump = 1;
constexpr int SingleNote = 2;
constexpr int DumpRequestWithBank = 3;
constexpr int KeyBasedDump = 4;
constexpr int ScaleDump1 = 5;
constexpr int ScaleDump2 = 6;
constexpr int SingleNoteWithBank = 7;
constexpr int ScaleOctave1 = 8;
constexpr int ScaleOctave2 = 9;
} // namespace mts

double equalTempered(int key) { return kKeyZeroHz * std::exp2(100.0 * key / 1200.0); }

double groupFrequency(const uint8_t* g)
{
    const int semitone = g[0] & 0x7F;
    const int fraction = ((g[1] << 7) & 0x3FFF) | (g[2] & 0x7F);
    return kKeyZeroHz * std::exp2((100.0 * semitone + fraction * 100.0 / kFractionSteps) / 1200.0);
}

void writeGroup(double hz, uint8_t* g)
{
    const double f = std::clamp(hz, kKeyZeroHz, kHighestGroupHz);
    const double c = 1200.0 * std::log2(f / kKeyZeroHz);
    const int semitone = std::clamp(static_cast<int>(std::floor(c / 100.0)), 0, 127);
    const int fraction = std::clamp(static_cast<int>(std::floor((c - 100.0 * semitone) * 163.84 + 0.5)), 0, 16383);
    g[0] = static_cast<uint8_t>(semitone);
    g[1] = static_cast<uint8_t>(fraction >> 7);
    g[2] = static_cast<uint8_t>(fraction & 0x7F);
}

// Cents of a 2-byte scale/octave value: 0x00 0x00 is -100, 0x7F 0x7F is +100.
double twoByteCents(const uint8_t* b)
{
    const int v = b[0] * 128 + b[1] - 8192;
    return v >= 0 ? v * 100.0 / 8191.0 : v * 100.0 / 8192.0;
}

// Bytes a message of the type needs (checksum and end mark aside), or 0 for types without a layout.
int layoutLength(int type, const uint8_t* bytes, int length)
{
    switch (type) {
    case mts::DumpRequest:
        return 6;
    case mts::BulkDump:
        return 22 + kGroupBytes * kTuningKeys;
    case mts::SingleNote:
        return length > 6 ? 7 + 4 * bytes[6] : 7;
    case mts::DumpRequestWithBank:
        return 7;
    case mts::KeyBasedDump:
        return 23 + kGroupBytes * kTuningKeys;
    case mts::ScaleDump1:
        return 23 + 12;
    case mts::ScaleDump2:
        return 23 + 24;
    case mts::SingleNoteWithBank:
        return length > 7 ? 8 + 4 * bytes[7] : 8;
    case mts::ScaleOctave1:
        return 8 + 12;
    case mts::ScaleOctave2:
        return 8 + 24;
    default:
        return 0;
    }
}

double storedFrequency(double hz, int key)
{
    return std::isfinite(hz) && hz > 0.0 ? std::min(hz, kMaxStoredHz) : equalTempered(key);
}

} // namespace

int mtsAddressee(const uint8_t* bytes, int length, int id)
{
    if (!bytes || length <= 5 || bytes[0] != kSysexStart || (bytes[1] != kNonRealtime && bytes[1] != kRealtime) ||
        bytes[3] != kTuningSubId)
        return kNoMessage;
    const int type = bytes[4];
    if (type <= mts::SingleNote)
        return bytes[5] == id ? type : kNoMessage;
    if (type <= mts::SingleNoteWithBank)
        return length > 6 && bytes[5] == 0 && bytes[6] == id ? type : kNoMessage;
    if (type <= mts::ScaleOctave2) {
        if (length <= 7 || id < 0 || id > 15)
            return kNoMessage;
        const int mask = (bytes[5] << 14) | (bytes[6] << 7) | bytes[7];
        return (mask >> id) & 1 ? type : kNoMessage;
    }
    return kNoMessage;
}

namespace {
constexpr int kHostSource = 0;
constexpr int kLastTuningSource = 2;
const char* const kHostText = "VST-Host";
const char* const kNoTuningText = "No Tuning";
} // namespace

std::string tuningText(int source, const CTuning& main)
{
    return source == kHostSource ? kHostText : source <= kLastTuningSource && source > 0 ? main.name() : kNoTuningText;
}

std::string destinationText(int source, const CTuning& destination)
{
    return source >= kHostSource && source <= kLastTuningSource ? destination.name() : kNoTuningText;
}

std::string mappingText(int source, const CTuning& main)
{
    return source == kHostSource ? kHostText
                                 : source <= kLastTuningSource && source > 0 ? main.mappingName() : kNoTuningText;
}

CTuning::CTuning() { reset(); }

void CTuning::reset()
{
    m_name = kDefaultName;
    m_mappingName = kDefaultMapping;
    for (int k = 0; k < kTuningKeys; ++k)
        m_frequency[static_cast<size_t>(k)] = equalTempered(k);
}

bool CTuning::isEqual(const CTuning& other) const
{
    return m_name == other.m_name && m_mappingName == other.m_mappingName && m_frequency == other.m_frequency;
}

void CTuning::loadFromScale(const CTuningDataset* dataset)
{
    reset();
    if (!dataset)
        return;
    m_name = m_mappingName = dataset->name;
    for (int k = 0; k < kTuningKeys; ++k)
        m_frequency[static_cast<size_t>(k)] = storedFrequency(dataset->frequency(dataset->mapKey(k)), k);
}

void CTuning::exportToScale(CTuningDataset& dataset) const
{
    dataset.reset();
    dataset.name = m_name;
    dataset.id = m_name;
    dataset.instrument = kExportInstrument;
    dataset.comments = kExportComments;
    for (int k = 0; k < kTuningKeys; ++k) {
        CFormulaEntry e;
        e.note = k;
        e.reference.kind = 0;
        e.reference.value = m_frequency[static_cast<size_t>(k)];
        dataset.addFormula(e);
    }
}

// ---- MIDI Tuning Standard ---------------------------------------------------------------------

// On the audio thread: the name never holds less room than the 24 characters of the default
// name it started with, so the 16 bytes of a dump fit without allocating.
void CTuning::readName(const uint8_t* bytes)
{
    m_name.clear();
    for (int i = 0; i < kNameBytes && bytes[i] != 0; ++i)
        m_name.push_back(static_cast<char>(bytes[i]));
}

void CTuning::readFrequencyGroups(const uint8_t* bytes)
{
    for (int k = 0; k < kTuningKeys; ++k)
        m_frequency[static_cast<size_t>(k)] = groupFrequency(bytes + kGroupBytes * k);
}

void CTuning::readNoteChanges(const uint8_t* groups, int count, bool realtime)
{
    m_noteChanged.fill(0);
    for (int i = 0; i < count; ++i) {
        const uint8_t* g = groups + 4 * i;
        const size_t key = g[0] & 0x7F;
        m_frequency[key] = groupFrequency(g + 1);
        if (realtime) {
            m_noteChanged[key] = 1;
            m_realtimeChange = 1;
        }
    }
}

void CTuning::setScaleOctave(const std::array<double, 12>& cents)
{
    for (int k = 0; k < kTuningKeys; ++k)
        m_frequency[static_cast<size_t>(k)] = kKeyZeroHz * std::exp2((100.0 * k + cents[static_cast<size_t>(k % 12)]) / 1200.0);
}

void CTuning::markAllNotes(int32_t flag)
{
    m_noteChanged.fill(flag);
    m_realtimeChange = flag != 0 ? 1 : 0;
}

int CTuning::processMtsMessage(const uint8_t* bytes, int length, int id)
{
    m_lastMessageType = kNoMessage;
    m_realtimeChange = 0;
    if (!bytes || length <= 5 || (bytes[1] != kNonRealtime && bytes[1] != kRealtime) || bytes[3] != kTuningSubId)
        return kNoMessage;
    const int type = bytes[4];
    const bool realtime = bytes[1] == kRealtime;
    if (mtsAddressee(bytes, length, id) != type || length < layoutLength(type, bytes, length))
        return kNoMessage;
    std::array<double, 12> cents {};
    switch (type) {
    case mts::DumpRequest:
        break;
    case mts::BulkDump:
        readName(bytes + 6);
        readFrequencyGroups(bytes + 22);
        break;
    case mts::SingleNote:
        readNoteChanges(bytes + 7, bytes[6], realtime);
        break;
    case mts::DumpRequestWithBank:
        if (bytes[5] != 0)
            return kNoMessage;
        m_lastMessageType = mts::DumpRequest;
        return m_lastMessageType;
    case mts::KeyBasedDump:
        readName(bytes + 7);
        readFrequencyGroups(bytes + 23);
        break;
    case mts::ScaleDump1:
    case mts::ScaleDump2:
        markAllNotes(type == mts::ScaleDump1 ? 0 : -1);
        readName(bytes + 7);
        for (size_t i = 0; i < 12; ++i)
            cents[i] = type == mts::ScaleDump1 ? bytes[23 + i] - 64.0 : twoByteCents(bytes + 23 + 2 * i);
        setScaleOctave(cents);
        break;
    case mts::SingleNoteWithBank:
        readNoteChanges(bytes + 8, bytes[7], realtime);
        break;
    case mts::ScaleOctave1:
    case mts::ScaleOctave2:
        markAllNotes(realtime ? -1 : 0);
        for (size_t i = 0; i < 12; ++i)
            cents[i] = type == mts::ScaleOctave1 ? bytes[8 + i] - 64.0 : twoByteCents(bytes + 8 + 2 * i);
        setScaleOctave(cents);
        break;
    default:
        return kNoMessage;
    }
    m_lastMessageType = type;
    return type;
}

namespace {

// XOR of bytes 1..last, 7 bits.
uint8_t checksum(const uint8_t* bytes, int last)
{
    uint8_t sum = 0;
    for (int i = 1; i <= last; ++i)
        sum ^= bytes[i];
    return sum & 0x7F;
}

void writeDumpName(uint8_t* at)
{
    for (int i = 0; i < kNameBytes; ++i)
        at[i] = static_cast<uint8_t>(kDumpName[i]);
}

} // namespace

void CTuning::buildBulkDump(std::array<uint8_t, kBulkDumpSize>& dump) const
{
    uint8_t* d = dump.data();
    const uint8_t head[] = {kSysexStart, kNonRealtime, kAllDevices, kTuningSubId, mts::BulkDump, 0x00};
    std::copy(std::begin(head), std::end(head), d);
    writeDumpName(d + 6);
    for (int k = 0; k < kTuningKeys; ++k)
        writeGroup(m_frequency[static_cast<size_t>(k)], d + 22 + kGroupBytes * k);
    d[406] = checksum(d, 405);
    d[407] = kSysexEnd;
}

void CTuning::buildKeyBasedDump(std::array<uint8_t, kKeyBasedDumpSize>& dump) const
{
    uint8_t* d = dump.data();
    const uint8_t head[] = {kSysexStart, kNonRealtime, kAllDevices, kTuningSubId, mts::KeyBasedDump, 0x00, 0x00};
    std::copy(std::begin(head), std::end(head), d);
    writeDumpName(d + 7);
    for (int k = 0; k < kTuningKeys; ++k)
        writeGroup(m_frequency[static_cast<size_t>(k)], d + 23 + kGroupBytes * k);
    d[407] = checksum(d, 406);
    d[408] = kSysexEnd;
}

// ---- chunk block -----------------------------------------------------------------------------

void CTuning::writeChunk(CByteWriter& out) const
{
    out.tag("TNMP");
    out.u8(kChunkVersion);
    out.text(m_name);
    out.text(m_mappingName);
    for (double f : m_frequency)
        out.f64(f);
}

namespace {

// 256 values of version 2 as ratios: in cents, as ratios, or cents skipped before the ratios.
bool readVersion2Ratios(CByteReader& in, int form, std::array<double, 2 * kTuningKeys>& ratios)
{
    if (form > 2)
        return false;
    if (form == 2)
        for (int i = 0; i < 2 * kTuningKeys; ++i)
            in.f64();
    for (double& r : ratios)
        r = form == 0 ? std::exp2(in.f64() / 1200.0) : in.f64();
    return true;
}

} // namespace

bool CTuning::readChunk(CByteReader& in)
{
    reset();
    if (!in.tag("TNMP"))
        return false;
    const int version = in.u8();
    if (in.failed() || version > kChunkVersion)
        return false;
    std::array<double, kTuningKeys> frequency = m_frequency;
    std::string name, mapping;
    if (version == kChunkVersion) {
        name = in.text(kMaxChunkText);
        mapping = in.text(kMaxChunkText);
        for (double& f : frequency)
            f = in.f64();
    } else if (version == 2) {
        name = in.text(kMaxChunkText);
        std::array<double, 2 * kTuningKeys> ratios {};
        if (!readVersion2Ratios(in, in.u8(), ratios) || in.u8() != 0)
            return false;
        mapping = name;
        const double base = in.f64();
        in.i32();
        for (int k = 0; k < kTuningKeys; ++k)
            frequency[static_cast<size_t>(k)] = base * ratios[static_cast<size_t>(k)];
    } else {
        name = version == 0 ? std::string("Unnamed") : in.text(kMaxChunkText);
        mapping = name;
        const double base = in.f64();
        int form = 0;
        if (version == 1) {
            in.i32();
            form = in.u8();
        }
        if (form == 0 || form == 2)
            for (double& f : frequency)
                f = base * std::exp2(in.f64() / 1200.0);
        if (form == 1 || form == 2)
            for (double& f : frequency)
                f = base * in.f64();
    }
    if (in.failed())
        return false;
    m_name = name;
    m_mappingName = mapping;
    for (int k = 0; k < kTuningKeys; ++k)
        m_frequency[static_cast<size_t>(k)] = storedFrequency(frequency[static_cast<size_t>(k)], k);
    return true;
}

} // namespace quorvix
