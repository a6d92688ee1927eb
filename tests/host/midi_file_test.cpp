#include "host/midi_file.h"

#include <gtest/gtest.h>

namespace qhost {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes header(int format, int tracks, int division)
{
    return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, static_cast<uint8_t>(format), 0, static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8), static_cast<uint8_t>(division)};
}

Bytes track(const Bytes& events)
{
    Bytes t = {'M', 'T', 'r', 'k', 0, 0, static_cast<uint8_t>(events.size() >> 8), static_cast<uint8_t>(events.size())};
    t.insert(t.end(), events.begin(), events.end());
    return t;
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(MidiFile, FormatZeroWithTempoAndRunningStatus)
{
    // 480 ticks per quarter; tempo 100 BPM (600000 us); a note on, then running-status note off a quarter later
    const Bytes file = join({header(0, 1, 480),
                             track({0x00, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x00, 0x90, 60, 100, 0x83, 0x60, 60, 0,
                                    0x00, 0xFF, 0x2F, 0x00})});
    CMidiSong song;
    std::string error;
    ASSERT_TRUE(parseMidiFile(file, song, error)) << error;
    ASSERT_EQ(song.events.size(), 2u);
    EXPECT_EQ(song.events[0].bytes, (Bytes {0x90, 60, 100}));
    EXPECT_DOUBLE_EQ(song.events[0].seconds, 0.0);
    EXPECT_EQ(song.events[1].bytes, (Bytes {0x90, 60, 0}));
    EXPECT_NEAR(song.events[1].seconds, 0.6, 1e-12);
    EXPECT_DOUBLE_EQ(song.tempoAt(0.0), 100.0);
    EXPECT_NEAR(song.lengthSeconds, 0.6, 1e-12);
}

TEST(MidiFile, FormatOneMergesTracksInTime)
{
    const Bytes file = join({header(1, 2, 96),
                             track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x60, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90,
                                    0x00, 0xFF, 0x2F, 0x00}),
                             track({0x30, 0x91, 64, 90, 0x60, 0x81, 64, 0, 0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7,
                                    0x00, 0xFF, 0x2F, 0x00})});
    CMidiSong song;
    std::string error;
    ASSERT_TRUE(parseMidiFile(file, song, error)) << error;
    ASSERT_EQ(song.events.size(), 3u);
    // 120 BPM for the first 96 ticks (0.5 s), then 240 BPM
    EXPECT_NEAR(song.events[0].seconds, 0.25, 1e-12);
    EXPECT_NEAR(song.events[1].seconds, 0.5 + 0.125, 1e-12);
    EXPECT_EQ(song.events[2].bytes, (Bytes {0xF0, 0x7E, 0x01, 0xF7}));
    EXPECT_DOUBLE_EQ(song.tempoAt(0.2), 120.0);
    EXPECT_DOUBLE_EQ(song.tempoAt(0.7), 240.0);
}

TEST(MidiFile, BrokenFilesAreRefusedWithAReason)
{
    const Bytes good = join({header(0, 1, 480), track({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0x00})});
    struct {
        Bytes data;
        const char* reason;
    } cases[] = {
        {{}, "not a Standard MIDI File"},
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "not a Standard MIDI File"},
        {Bytes(good.begin(), good.begin() + 10), "truncated MIDI file header"},
        // header lengths that point past the end of a 14-byte file
        {{'M', 'T', 'h', 'd', 0, 0, 0, 100, 0, 0, 0, 1, 1, 0xE0}, "truncated MIDI file header"},
        {{'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xF0, 0, 0, 0, 1, 1, 0xE0}, "truncated MIDI file header"},
        {Bytes(good.begin(), good.begin() + 16), "track 1 of 1 is missing"},
        {Bytes(good.begin(), good.end() - 3), "track 1 is cut off"},
        {join({header(2, 1, 480), track({0x00, 0xFF, 0x2F, 0x00})}), "format 2 is not supported"},
        {join({header(0, 1, 0), track({0x00, 0xFF, 0x2F, 0x00})}), "time division of 0"},
        {join({header(0, 1, 480), track({0x00, 60, 100})}), "data byte without a status"},
        {join({header(0, 1, 480), track({0x00, 0x90, 60})}), "truncated channel message"},
        {join({header(0, 1, 480), track({0x00, 0xFF, 0x51, 0x10, 0x01})}), "truncated meta event"},
        {join({header(0, 1, 480), track({0x8F, 0xFF, 0xFF, 0xFF, 0xFF})}), "truncated delta time"},
    };
    for (const auto& c : cases) {
        CMidiSong song;
        std::string error;
        EXPECT_FALSE(parseMidiFile(c.data, song, error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error;
    }
}

} // namespace
} // namespace qhost
