#include "presets/settings.h"

#include <atomic>
#include <cstring>

namespace quorvix {

namespace {

constexpr char kMagic[4] = {'Q', 'X', 'S', 'F'};
constexpr size_t kHeaderSize = 8;

std::atomic<int32_t> gStartCounter {-1};
std::atomic<bool> gStartCounterRead {false};
std::atomic<bool> gKnobMode {true};

class CRecordReader {
public:
    explicit CRecordReader(const std::vector<uint8_t>& data) : m_data(data) {}

    bool readInt32(int32_t& out)
    {
        if (!has(4))
            return false;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | m_data[m_pos + i];
        out = static_cast<int32_t>(v);
        m_pos += 4;
        return true;
    }
    bool readBool(bool& out)
    {
        if (!has(2))
            return false;
        out = m_data[m_pos] != 0;
        m_pos += 2;
        return true;
    }
    bool readByte(uint8_t& out)
    {
        if (!has(1))
            return false;
        out = m_data[m_pos++];
        return true;
    }
    bool readText(std::string& out, size_t maxLength)
    {
        const size_t start = m_pos;
        size_t end = start;
        while (end < m_data.size() && m_data[end] != 0)
            ++end;
        if (end >= m_data.size())
            return false; // no terminator: the name is cut off
        out.assign(reinterpret_cast<const char*>(m_data.data() + start), std::min(end - start, maxLength));
        m_pos = end + 1;
        return true;
    }
    void skip(size_t n) { m_pos += n; }

private:
    bool has(size_t n) const { return m_pos + n <= m_data.size(); }
    const std::vector<uint8_t>& m_data;
    size_t m_pos = 0;
};

void putInt32(std::vector<uint8_t>& out, int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putBool(std::vector<uint8_t>& out, bool value)
{
    out.push_back(value ? 1 : 0);
    out.push_back(0);
}

// Reads the fields of one version in order; stops quietly at the end of a short record.
void readFields(CRecordReader& in, int version, CSettings& s)
{
    if (version == 0) {
        in.readBool(s.knobMode);
        return;
    }
    int32_t counter = 0;
    if (!in.readInt32(counter))
        return;
    s.startCounter = counter;
    if (version >= 2 && !in.readBool(s.monoTimbral))
        return;
    if (!in.readBool(s.knobMode))
        return;
    if (version >= 4) {
        uint8_t oversampling = 0;
        if (!in.readByte(oversampling))
            return;
        s.oscOversampling = oversampling > 2 ? 2 : oversampling;
    } else {
        bool oversampling = false;
        if (!in.readBool(oversampling))
            return;
        s.oscOversampling = oversampling ? 1 : 0;
    }
    if (version >= 2 && !in.readBool(s.autoStore))
        return;
    if (!in.readBool(s.reservedFlag))
        return;
    if (version < 3)
        return;
    int32_t bank = 0;
    if (!in.readInt32(bank))
        return;
    s.bankSelector = bank < 0 ? 0 : (bank > 9 ? 9 : bank);
    std::string skin;
    if (in.readText(skin, kMaxSkinNameLength))
        s.skinName = skin;
}

} // namespace

bool parseSettingsRecord(const std::vector<uint8_t>& record, CSettings& settings)
{
    if (record.size() <= 4 || record.size() < kHeaderSize)
        return false;
    if (std::memcmp(record.data(), kMagic, 4) != 0)
        return false;
    CRecordReader in(record);
    in.skip(4);
    int32_t version = 0;
    in.readInt32(version);
    if (version < 0 || version > kSettingsVersion)
        return false;
    CSettings parsed = settings;
    readFields(in, version, parsed);
    settings = parsed;
    return true;
}

std::vector<uint8_t> buildSettingsRecord(const CSettings& s)
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    putInt32(out, kSettingsVersion);
    putInt32(out, s.startCounter);
    putBool(out, s.monoTimbral);
    putBool(out, s.knobMode);
    out.push_back(static_cast<uint8_t>(s.oscOversampling));
    putBool(out, s.autoStore);
    putBool(out, s.reservedFlag);
    putInt32(out, s.bankSelector);
    const std::string skin = s.skinName.substr(0, kMaxSkinNameLength);
    out.insert(out.end(), skin.begin(), skin.end());
    out.push_back(0);
    return out;
}

int32_t processStartCounter() { return gStartCounter.load(); }

void noteStoredStartCounter(int32_t stored)
{
    bool expected = false;
    if (gStartCounterRead.compare_exchange_strong(expected, true))
        gStartCounter.store(stored + 1);
}

bool processKnobMode() { return gKnobMode.load(); }

void setProcessKnobMode(bool on) { gKnobMode.store(on); }

} // namespace quorvix
