#include "host/midi_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace qhost {

namespace {

constexpr double kDefaultMicrosPerQuarter = 500000.0;
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kSysexStart = 0xF0;
constexpr uint8_t kSysexContinue = 0xF7;
constexpr uint32_t kMaxVariableLength = 0x0FFFFFFF;
constexpr size_t kHeaderChunkStart = 8; // "MThd" and the length

struct CRawEvent {
    uint64_t tick = 0;
    int track = 0;
    size_t order = 0;
    bool isTempo = false;
    double microsPerQuarter = 0.0;
    std::vector<uint8_t> bytes;
};

class CReader {
public:
    // A range past the data is cut to it, so every read below stays inside.
    CReader(const std::vector<uint8_t>& data, size_t begin, size_t end)
        : m_data(data), m_end(std::min(end, data.size())), m_pos(std::min(begin, m_end))
    {
    }

    bool atEnd() const { return m_pos >= m_end; }
    size_t position() const { return m_pos; }
    bool byte(uint8_t& out)
    {
        if (m_pos >= m_end)
            return false;
        out = m_data[m_pos++];
        return true;
    }
    bool peek(uint8_t& out) const
    {
        if (m_pos >= m_end)
            return false;
        out = m_data[m_pos];
        return true;
    }
    bool big(int bytes, uint32_t& out)
    {
        out = 0;
        for (int i = 0; i < bytes; ++i) {
            uint8_t b = 0;
            if (!byte(b))
                return false;
            out = (out << 8) | b;
        }
        return true;
    }
    bool variable(uint32_t& out)
    {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            uint8_t b = 0;
            if (!byte(b))
                return false;
            out = (out << 7) | (b & 0x7F);
            if (!(b & 0x80))
                return out <= kMaxVariableLength;
        }
        return false;
    }
    bool bytes(size_t n, std::vector<uint8_t>& out)
    {
        if (n > m_end - m_pos)
            return false;
        out.insert(out.end(), m_data.begin() + static_cast<long>(m_pos), m_data.begin() + static_cast<long>(m_pos + n));
        m_pos += n;
        return true;
    }

private:
    const std::vector<uint8_t>& m_data;
    size_t m_end;
    size_t m_pos;
};

int dataBytesOf(uint8_t status)
{
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0:
        return 1;
    default:
        return 2;
    }
}

bool parseTrack(CReader in, int track, std::vector<CRawEvent>& out, size_t& order, std::string& error)
{
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!in.atEnd()) {
        uint32_t delta = 0;
        if (!in.variable(delta)) {
            error = "truncated delta time in track " + std::to_string(track + 1);
            return false;
        }
        tick += delta;
        uint8_t status = 0;
        if (!in.peek(status)) {
            error = "truncated event in track " + std::to_string(track + 1);
            return false;
        }
        CRawEvent event;
        event.tick = tick;
        event.track = track;
        event.order = order++;
        if (status == kMetaEvent) {
            uint8_t skip = 0, type = 0;
            uint32_t length = 0;
            std::vector<uint8_t> payload;
            if (!in.byte(skip) || !in.byte(type) || !in.variable(length) || !in.bytes(length, payload)) {
                error = "truncated meta event in track " + std::to_string(track + 1);
                return false;
            }
            if (type == kMetaEndOfTrack) {
                out.push_back(std::move(event));
                return true;
            }
            if (type == kMetaTempo && length == 3) {
                event.isTempo = true;
                event.microsPerQuarter = double((payload[0] << 16) | (payload[1] << 8) | payload[2]);
                if (event.microsPerQuarter > 0)
                    out.push_back(std::move(event));
            }
            continue;
        }
        if (status == kSysexStart || status == kSysexContinue) {
            uint8_t skip = 0;
            uint32_t length = 0;
            in.byte(skip);
            if (!in.variable(length)) {
                error = "truncated system-exclusive event in track " + std::to_string(track + 1);
                return false;
            }
            if (status == kSysexStart)
                event.bytes.push_back(kSysexStart);
            if (!in.bytes(length, event.bytes)) {
                error = "truncated system-exclusive event in track " + std::to_string(track + 1);
                return false;
            }
            running = 0;
            if (status == kSysexStart)
                out.push_back(std::move(event));
            continue;
        }
        if (status & 0x80) {
            in.byte(status);
            if (status >= 0xF0) {
                error = "unexpected system message in track " + std::to_string(track + 1);
                return false;
            }
            running = status;
        } else if (running == 0) {
            error = "data byte without a status in track " + std::to_string(track + 1);
            return false;
        }
        event.bytes.push_back(running);
        for (int i = 0; i < dataBytesOf(running); ++i) {
            uint8_t data = 0;
            if (!in.byte(data) || (data & 0x80)) {
                error = "truncated channel message in track " + std::to_string(track + 1);
                return false;
            }
            event.bytes.push_back(data);
        }
        out.push_back(std::move(event));
    }
    return true; // a track without an end-of-track mark still counts
}

} // namespace

double CMidiSong::tempoAt(double seconds) const
{
    double bpm = tempos.empty() ? 120.0 : tempos.front().bpm;
    for (const CTempoChange& t : tempos) {
        if (t.seconds > seconds)
            break;
        bpm = t.bpm;
    }
    return bpm;
}

bool parseMidiFile(const std::vector<uint8_t>& data, CMidiSong& song, std::string& error)
{
    CReader header(data, 0, data.size());
    std::vector<uint8_t> magic;
    uint32_t headerLength = 0, format = 0, trackCount = 0, division = 0;
    if (!header.bytes(4, magic) || std::string(magic.begin(), magic.end()) != "MThd") {
        error = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    if (!header.big(4, headerLength) || headerLength < 6 || headerLength > data.size() - header.position() ||
        !header.big(2, format) || !header.big(2, trackCount) || !header.big(2, division)) {
        error = "truncated MIDI file header";
        return false;
    }
    if (format > 1) {
        error = "MIDI file format " + std::to_string(format) + " is not supported (only 0 and 1)";
        return false;
    }
    if (division == 0) {
        error = "MIDI file has a time division of 0";
        return false;
    }
    const bool smpte = division & 0x8000;
    double secondsPerTick = 0.0;
    if (smpte) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (framesPerSecond <= 0 || ticksPerFrame == 0) {
            error = "MIDI file has an invalid SMPTE time division";
            return false;
        }
        secondsPerTick = 1.0 / (framesPerSecond * ticksPerFrame);
    }
    size_t pos = kHeaderChunkStart + headerLength;
    std::vector<CRawEvent> raw;
    size_t order = 0;
    for (uint32_t track = 0; track < trackCount; ++track) {
        CReader chunk(data, pos, data.size());
        std::vector<uint8_t> id;
        uint32_t length = 0;
        if (!chunk.bytes(4, id) || !chunk.big(4, length)) {
            error = "truncated MIDI file: track " + std::to_string(track + 1) + " of " + std::to_string(trackCount) +
                    " is missing";
            return false;
        }
        const size_t begin = chunk.position();
        if (length > data.size() - begin) {
            error = "truncated MIDI file: track " + std::to_string(track + 1) + " is cut off";
            return false;
        }
        if (std::string(id.begin(), id.end()) == "MTrk") {
            if (!parseTrack(CReader(data, begin, begin + length), static_cast<int>(track), raw, order, error))
                return false;
        } else {
            --track; // an unknown chunk is skipped and does not count as a track
        }
        pos = begin + length;
    }
    std::stable_sort(raw.begin(), raw.end(), [](const CRawEvent& a, const CRawEvent& b) { return a.tick < b.tick; });

    song = CMidiSong {};
    song.format = static_cast<int>(format);
    const double ticksPerQuarter = smpte ? 1.0 : static_cast<double>(division);
    double micros = kDefaultMicrosPerQuarter;
    double seconds = 0.0;
    uint64_t lastTick = 0;
    song.tempos.push_back({0.0, 60e6 / micros});
    for (CRawEvent& e : raw) {
        const double tickSeconds = smpte ? secondsPerTick : micros / 1e6 / ticksPerQuarter;
        seconds += static_cast<double>(e.tick - lastTick) * tickSeconds;
        lastTick = e.tick;
        if (e.isTempo) {
            micros = e.microsPerQuarter;
            if (seconds == 0.0)
                song.tempos.front().bpm = 60e6 / micros;
            else
                song.tempos.push_back({seconds, 60e6 / micros});
            continue;
        }
        song.lengthSeconds = std::max(song.lengthSeconds, seconds);
        if (!e.bytes.empty())
            song.events.push_back({seconds, std::move(e.bytes)});
    }
    return true;
}

bool readMidiFile(const std::string& path, CMidiSong& song, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!parseMidiFile(data, song, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace qhost
