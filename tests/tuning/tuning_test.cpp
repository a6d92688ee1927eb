// Tunings: the default table, MIDI Tuning Standard messages and dumps, and the chunk block.
#include "base/byte_stream.h"
#include "tuning/tuning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvix {
namespace {

using Bytes = std::vector<uint8_t>;

// F0 7E/7F 7F 08 type, then the rest.
Bytes message(uint8_t type, Bytes rest, bool realtime = false)
{
    Bytes m = {0xF0, static_cast<uint8_t>(realtime ? 0x7F : 0x7E), 0x7F, 0x08, type};
    m.insert(m.end(), rest.begin(), rest.end());
    m.push_back(0xF7);
    return m;
}

int process(CTuning& t, const Bytes& m, int id) { return t.processMtsMessage(m.data(), static_cast<int>(m.size()), id); }

double cents(double hz, double reference) { return 1200.0 * std::log2(hz / reference); }

TEST(Tuning, DefaultTableAndClampedKeys)
{
    const CTuning t;
    EXPECT_DOUBLE_EQ(t.frequency(69), 440.0);
    EXPECT_DOUBLE_EQ(t.frequency(0), 8.175798915643707);
    EXPECT_EQ(t.frequency(-5), t.frequency(0));
    EXPECT_EQ(t.frequency(200), t.frequency(127));
    EXPECT_EQ(t.name(), "Equal tempered (Default)");
    EXPECT_EQ(t.mappingName(), "MIDI (Default)");
}

TEST(Tuning, BulkDumpHasTheExactLayout)
{
    CTuning t;
    t.setFrequency(60, 261.6255653005986 * std::exp2(50.0 / 1200.0)); // key 60 a quarter tone sharp
    std::array<uint8_t, kBulkDumpSize> dump {};
    t.buildBulkDump(dump);
    const Bytes head = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 6), head);
    EXPECT_EQ(std::string(dump.begin() + 6, dump.begin() + 22), "Quorvix Tune 000");
    EXPECT_EQ(Bytes(dump.begin() + 22 + 3 * 69, dump.begin() + 25 + 3 * 69), (Bytes {69, 0, 0}));
    EXPECT_EQ(Bytes(dump.begin() + 22 + 3 * 60, dump.begin() + 25 + 3 * 60), (Bytes {60, 64, 0})) << "8192 of 16384";
    uint8_t sum = 0;
    for (int i = 1; i <= 405; ++i)
        sum ^= dump[static_cast<size_t>(i)];
    EXPECT_EQ(dump[406], sum & 0x7F);
    EXPECT_EQ(dump[407], 0xF7);

    // Read back by another tuning: the same table, the dump's name.
    CTuning other;
    EXPECT_EQ(process(other, Bytes(dump.begin(), dump.end()), 0), 1);
    EXPECT_NEAR(cents(other.frequency(60), t.frequency(60)), 0.0, 0.01);
    EXPECT_EQ(other.name(), "Quorvix Tune 000");
}

TEST(Tuning, SingleNoteChangesFlagRealtimeKeys)
{
    for (bool realtime : {true, false}) {
        CTuning t;
        // id 3, one note: key 61 to semitone 62 exactly
        EXPECT_EQ(process(t, message(0x02, {3, 1, 61, 62, 0, 0}, realtime), 3), 2);
        EXPECT_DOUBLE_EQ(t.frequency(61), CTuning().frequency(62));
        EXPECT_EQ(t.realtimeChange(), realtime);
        EXPECT_EQ(t.noteChanged(61), realtime);
        EXPECT_FALSE(t.noteChanged(60));
        EXPECT_EQ(process(t, message(0x02, {4, 1, 61, 62, 0, 0}, realtime), 3), kNoMessage) << "another id";
    }
}

TEST(Tuning, ScaleOctaveValuesAndAddressing)
{
    struct CCase {
        uint8_t hi, lo;
        double cents;
    };
    for (const CCase& c : {CCase {0x7F, 0x7F, 100.0}, CCase {0x00, 0x00, -100.0}, CCase {0x40, 0x00, 0.0}}) {
        Bytes rest = {0x00, 0x00, 0x01}; // channel 0 only
        for (int i = 0; i < 12; ++i) {
            rest.push_back(c.hi);
            rest.push_back(c.lo);
        }
        CTuning t;
        EXPECT_EQ(process(t, message(0x09, rest), 0), 9);
        EXPECT_NEAR(cents(t.frequency(69), 440.0), c.cents, 1e-9);
        EXPECT_NEAR(cents(t.frequency(0), 8.175798915643707), c.cents, 1e-9);
    }
    // Channel bits 0 and 3: ids 0 and 3 only.
    Bytes oneByte = {0x00, 0x00, 0x09};
    oneByte.insert(oneByte.end(), 12, 64 + 10);
    const Bytes m = message(0x08, oneByte);
    for (int id = 0; id < 8; ++id)
        EXPECT_EQ(mtsAddressee(m.data(), static_cast<int>(m.size()), id) == 8, id == 0 || id == 3) << id;
}

TEST(Tuning, RequestsAndShortMessages)
{
    CTuning t;
    EXPECT_EQ(process(t, message(0x00, {2}), 2), 0) << "bulk dump request for id 2";
    EXPECT_EQ(t.lastMessageType(), 0);
    EXPECT_EQ(process(t, message(0x03, {0, 2}), 2), 0) << "with bank 0 it is a request";
    EXPECT_EQ(process(t, message(0x03, {1, 2}), 2), kNoMessage);

    // Cut short: a bulk dump of 100 bytes, a single-note change announcing 5 notes with one.
    Bytes dump = message(0x01, Bytes(400, 0x10));
    dump.resize(100);
    const CTuning before = t;
    EXPECT_EQ(process(t, dump, 0x10), kNoMessage);
    EXPECT_EQ(process(t, message(0x02, {0, 5, 61, 62, 0, 0}), 0), kNoMessage);
    EXPECT_TRUE(t.isEqual(before));
    const Bytes tiny = {0xF0, 0x7E, 0x7F, 0x08, 0x02};
    EXPECT_EQ(mtsAddressee(tiny.data(), 5, 0), kNoMessage);
}

TEST(Tuning, ChunkBlockVersions)
{
    CTuning t;
    t.setName("Just");
    t.setMappingName("White keys");
    t.setFrequency(64, 330.0);
    CByteWriter out;
    t.writeChunk(out);
    CByteReader in(out.bytes());
    CTuning back;
    ASSERT_TRUE(back.readChunk(in));
    EXPECT_TRUE(back.isEqual(t));
    EXPECT_EQ(in.remaining(), 0u);

    // Version 0: no name, a base and 128 cents.
    CByteWriter v0;
    v0.tag("TNMP");
    v0.u8(0);
    v0.f64(100.0);
    for (int k = 0; k < kTuningKeys; ++k)
        v0.f64(1200.0);
    CByteReader in0(v0.bytes());
    ASSERT_TRUE(back.readChunk(in0));
    EXPECT_EQ(back.name(), "Unnamed");
    EXPECT_DOUBLE_EQ(back.frequency(5), 200.0);

    Bytes v4 = out.bytes();
    v4[4] = 4;
    CByteReader in4(v4);
    EXPECT_FALSE(back.readChunk(in4)) << "version 4 is refused";
    Bytes cut = out.bytes();
    cut.resize(cut.size() - 9);
    CByteReader inCut(cut);
    EXPECT_FALSE(back.readChunk(inCut));
}

TEST(Tuning, EditorTexts)
{
    CTuning main, destination;
    main.setName("Werckmeister III");
    main.setMappingName("Whole keyboard");
    destination.setName("Just");
    struct CCase {
        int source;
        const char *tuning, *destination, *mapping;
    };
    for (const CCase& c : {CCase {0, "VST-Host", "Just", "VST-Host"},
                           CCase {1, "Werckmeister III", "Just", "Whole keyboard"},
                           CCase {2, "Werckmeister III", "Just", "Whole keyboard"},
                           CCase {3, "No Tuning", "No Tuning", "No Tuning"}}) {
        EXPECT_EQ(tuningText(c.source, main), c.tuning) << c.source;
        EXPECT_EQ(destinationText(c.source, destination), c.destination) << c.source;
        EXPECT_EQ(mappingText(c.source, main), c.mapping) << c.source;
    }
}

} // namespace
} // namespace quorvix
