#include "tuning/midi_file_writer.h"

#include <algorithm>

namespace quorvix {

namespace {
constexpr uint16_t kDivision = 384;
constexpr uint16_t kMaxTracks = 10000;
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kEndOfTrack = 0x2F;
constexpr uint8_t kTrackName = 0x03;
constexpr uint8_t kInstrumentName = 0x04;
constexpr uint8_t kTempo = 0x51;
constexpr uint8_t kTimeSignature = 0x58;
constexpr uint8_t kSysex = 0xF0;
constexpr uint8_t kSysexEnd = 0xF7;
constexpr size_t kMaxNameLength = 16;
} // namespace

void CMidiFileWriter::put(const uint8_t* bytes, size_t size)
{
    if (!m_ok)
        return;
    m_out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    m_ok = static_cast<bool>(m_out);
    if (m_trackOpen)
        m_trackLength += static_cast<uint32_t>(size);
}

void CMidiFileWriter::putBig(uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        putByte(static_cast<uint8_t>(value >> (8 * i)));
}

void CMidiFileWriter::putVariable(uint32_t value)
{
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value && n < 5);
    while (n-- > 0)
        putByte(static_cast<uint8_t>(groups[n] | (n > 0 ? 0x80 : 0)));
}

void CMidiFileWriter::patchBig(std::streampos at, uint32_t value, int bytes)
{
    if (!m_ok)
        return;
    const bool open = m_trackOpen;
    m_trackOpen = false; // a patch is not track data
    m_out.seekp(at);
    putBig(value, bytes);
    m_out.seekp(0, std::ios::end);
    m_ok = m_ok && static_cast<bool>(m_out);
    m_trackOpen = open;
}

bool CMidiFileWriter::open(const std::string& path, uint16_t division)
{
    m_out.open(path, std::ios::binary | std::ios::trunc);
    m_ok = m_out.is_open();
    m_trackOpen = false;
    m_trackCount = 0;
    m_division = division;
    put(reinterpret_cast<const uint8_t*>("MThd"), 4);
    putBig(6, 4);
    putBig(1, 2);
    m_trackCountPosition = m_out.tellp();
    putBig(0, 2);
    putBig(division, 2);
    return m_ok;
}

bool CMidiFileWriter::beginTrack()
{
    if (m_trackOpen)
        endTrack(0);
    if (!m_ok || m_trackCount >= kMaxTracks)
        return false;
    put(reinterpret_cast<const uint8_t*>("MTrk"), 4);
    m_trackLengthPosition = m_out.tellp();
    putBig(0, 4);
    m_trackLength = 0;
    m_trackOpen = true;
    return m_ok;
}

bool CMidiFileWriter::endTrack(uint32_t delta)
{
    if (!m_ok || !m_trackOpen)
        return false;
    putVariable(delta == 0 ? 4u * m_division : delta);
    const uint8_t end[] = {kMeta, kEndOfTrack, 0x00};
    put(end, sizeof end);
    m_trackOpen = false;
    patchBig(m_trackLengthPosition, m_trackLength, 4);
    ++m_trackCount;
    return m_ok;
}

bool CMidiFileWriter::metaEvent(uint32_t delta, uint8_t type, uint32_t length, const uint8_t* data)
{
    if (type == kEndOfTrack && length == 0)
        return endTrack(delta);
    if (!m_ok || !m_trackOpen)
        return false;
    putVariable(delta);
    putByte(kMeta);
    putByte(type);
    putVariable(length);
    put(data, length);
    return m_ok;
}

bool CMidiFileWriter::sysexEvent(uint32_t delta, uint8_t status, uint32_t length, const uint8_t* data)
{
    if (!m_ok || !m_trackOpen || (status != kSysex && status != kSysexEnd))
        return false;
    putVariable(delta);
    putByte(status);
    putVariable(length);
    put(data, length);
    return m_ok;
}

bool CMidiFileWriter::close()
{
    if (m_trackOpen)
        endTrack(0);
    patchBig(m_trackCountPosition, m_trackCount, 2);
    m_out.close();
    m_ok = m_ok && !m_out.fail();
    return m_ok;
}

bool writeTuningMidiFile(const std::string& path, const std::string& trackName, const std::string& instrument,
                         const uint8_t* message, int length)
{
    if (path.empty() || !message || length <= 2 || message[0] != kSysex || message[length - 1] != kSysexEnd)
        return false;
    CMidiFileWriter file;
    file.open(path, kDivision);
    file.beginTrack();
    const uint8_t signature[] = {4, 2, 24, 8};
    file.metaEvent(0, kTimeSignature, sizeof signature, signature);
    const uint8_t tempo[] = {0x07, 0xA1, 0x20};
    file.metaEvent(0, kTempo, sizeof tempo, tempo);
    file.endTrack(0);
    file.beginTrack();
    for (const auto& [type, text] : {std::pair {kTrackName, trackName}, std::pair {kInstrumentName, instrument}}) {
        const size_t n = std::min(text.size(), kMaxNameLength);
        if (n > 0)
            file.metaEvent(0, type, static_cast<uint32_t>(n), reinterpret_cast<const uint8_t*>(text.data()));
    }
    file.sysexEvent(0, kSysex, static_cast<uint32_t>(length - 1), message + 1);
    file.endTrack(0);
    return file.close();
}

} // namespace quorvix
