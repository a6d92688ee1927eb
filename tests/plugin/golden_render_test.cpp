// Exact output of fixed scenarios through the binary interface, compared with hashes kept in
// tests/data/golden/renders.txt. A change of sound shows here; after an intended one, run the
// test with QUORVIX_UPDATE_GOLDEN=1 to write the new hashes, and say why they changed.
#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace qtest {
namespace {

constexpr int kBlock = 512;
constexpr int kQuality = 1011;
constexpr int kTuningSource = 1018;
constexpr int kTuningBase = 1020;
constexpr int kPaste = 1013;
constexpr int kClear = 1015;
const std::string kGoldenFile = std::string(QUORVIX_TEST_DATA) + "/golden/renders.txt";

// At frame: a parameter change, or a MIDI message when bytes is not empty.
struct CAction {
    int frame;
    int32_t index;
    float value;
    std::vector<uint8_t> bytes;
};

CAction set(int32_t index, float value, int frame = 0) { return {frame, index, value, {}}; }
CAction send(int frame, std::vector<uint8_t> bytes) { return {frame, 0, 0.0f, std::move(bytes)}; }
float choice(int n, int count) { return (static_cast<float>(n) + 0.5f) / static_cast<float>(count); }
float wave(int n) { return choice(n, 54); }
float filterType(int n) { return static_cast<float>(n) / 9.0f; }
float effectType(int n) { return choice(n, 22); }

std::vector<CAction> chord(int at, int length, std::initializer_list<int> keys, uint8_t channel = 0)
{
    std::vector<CAction> actions;
    for (int k : keys) {
        actions.push_back(send(at, {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(k), 100}));
        actions.push_back(send(at + length, {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(k), 0}));
    }
    return actions;
}

std::vector<CAction> operator+(std::vector<CAction> a, const std::vector<CAction>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Writes little-endian fields into a program chunk's blocks in place.
void putInt(std::vector<uint8_t>& bytes, size_t at, int32_t v) { std::memcpy(&bytes[at], &v, 4); }
void putFloat(std::vector<uint8_t>& bytes, size_t at, float v) { std::memcpy(&bytes[at], &v, 4); }

size_t findTag(const std::vector<uint8_t>& bytes, const char* tag, int occurrence)
{
    const std::string text(bytes.begin(), bytes.end());
    size_t at = std::string::npos;
    for (int i = 0; i <= occurrence; ++i)
        at = text.find(tag, at == std::string::npos ? 0 : at + 1);
    return at;
}

struct CCombinerRow {
    int source1, op, source2, destination;
    float amount;
};

void setCombiners(std::vector<uint8_t>& chunk, int section, std::initializer_list<CCombinerRow> rows)
{
    size_t at = findTag(chunk, "MCMB", section) + 6;
    for (const CCombinerRow& r : rows) {
        putInt(chunk, at, r.source1);
        putInt(chunk, at + 4, r.op);
        putInt(chunk, at + 8, r.source2);
        putInt(chunk, at + 12, r.destination);
        putFloat(chunk, at + 16, r.amount);
        at += 20;
    }
}

// Loop from point 1 to the last point of a loop envelope block.
void loopEnvelope(std::vector<uint8_t>& chunk, int occurrence)
{
    const size_t at = findTag(chunk, "CMLE", occurrence) + 5;
    chunk[at] = 1;
    chunk[at + 2] = 1;
    chunk[at + 3] = chunk[at + 4];
}

// Both modulation sections: oscillators and envelopes routed to pitch, weight, cutoff and pan.
void modulatedProgram(qhost::CPluginInstance& p)
{
    std::vector<uint8_t> chunk = p.getChunk(true);
    setCombiners(chunk, 0, {{16, 0, 0, 8, 1.0f}, {20, 0, 0, 1, 0.5f}, {18, 2, 22, 15, 0.5f}});
    setCombiners(chunk, 1, {{16, 0, 0, 6, 900.0f}, {22, 0, 0, 13, 0.5f}, {20, 1, 18, 12, 0.4f}});
    for (int envelope = 0; envelope < 4; ++envelope)
        loopEnvelope(chunk, envelope);
    ASSERT_EQ(p.setChunk(chunk, true), static_cast<intptr_t>(chunk.size()));
}

std::vector<uint8_t> quarterToneDump()
{
    std::vector<uint8_t> d = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    for (char c : std::string("Quarter tones   "))
        d.push_back(static_cast<uint8_t>(c));
    for (int k = 0; k < 128; ++k) {
        d.push_back(static_cast<uint8_t>(k));
        d.push_back(64);
        d.push_back(0);
    }
    d.push_back(0);
    d.push_back(0xF7);
    return d;
}

struct CScenario {
    const char* name;
    int frames;
    std::vector<CAction> actions;
    void (*prepare)(qhost::CPluginInstance&) = nullptr;
};

std::vector<CAction> everyEffectType()
{
    std::vector<CAction> actions = {set(164, 0.23f), set(165, 0.31f), set(166, 0.4f), set(167, 0.6f),
                                    set(168, 0.5f),  set(169, 0.45f), set(170, 0.7f), set(171, 0.6f)};
    for (int type = 1; type <= 21; ++type) {
        const int at = (type - 1) * 12000;
        actions.push_back(set(163, effectType(type), at));
        actions = actions + chord(at, 3000, {57, 64});
    }
    return actions;
}

std::vector<CScenario> scenarios()
{
    return {
        {"init-chord", 60000, chord(100, 30000, {60, 64, 67})},
        {"saw-oversampled-always", 40000, std::vector<CAction> {set(25, wave(5)), set(52, 1.0f)} + chord(0, 20000, {84, 91})},
        {"three-waves-detuned", 40000,
         std::vector<CAction> {set(25, wave(16)), set(33, wave(13)), set(41, wave(1)), set(38, 0.6f), set(46, 0.3f),
                               set(39, 0.8f)} +
             chord(0, 20000, {48, 55})},
        {"combination-operators", 40000,
         std::vector<CAction> {set(33, wave(5)), set(41, wave(16)), set(49, choice(7, 21)), set(50, choice(2, 21)),
                               set(30, 0.6f)} +
             chord(0, 16000, {52}) + std::vector<CAction> {set(49, choice(19, 21), 20000), set(50, choice(12, 21), 20000)} +
             chord(20000, 16000, {59})},
        {"noise-and-samples", 40000,
         std::vector<CAction> {set(25, wave(28)), set(33, wave(42)), set(34, wave(46)), set(27, 0.4f), set(28, 0.7f)} +
             chord(0, 20000, {60, 72})},
        {"feedback-wave", 40000, std::vector<CAction> {set(25, wave(53)), set(33, wave(5))} + chord(0, 20000, {45})},
        {"filters-low", 60000,
         std::vector<CAction> {set(25, wave(5)), set(105, filterType(1)), set(106, 1.0f), set(108, 0.35f)} +
             chord(0, 12000, {48}) + std::vector<CAction> {set(105, filterType(2), 20000), set(106, 0.5f, 20000)} +
             chord(20000, 12000, {50}) + std::vector<CAction> {set(105, filterType(3), 40000), set(107, 0.7f, 40000)} +
             chord(40000, 12000, {52})},
        {"filters-high-band-notch", 80000,
         std::vector<CAction> {set(25, wave(28)), set(105, filterType(4)), set(108, 0.6f)} + chord(0, 12000, {60}) +
             std::vector<CAction> {set(105, filterType(5), 20000), set(106, 1.0f, 20000)} + chord(20000, 12000, {60}) +
             std::vector<CAction> {set(105, filterType(6), 40000), set(107, 0.4f, 40000)} + chord(40000, 12000, {60}) +
             std::vector<CAction> {set(105, filterType(7), 60000), set(106, 0.3f, 60000)} + chord(60000, 8000, {60}) +
             std::vector<CAction> {set(105, filterType(8), 70000)} + chord(70000, 8000, {60})},
        {"resonator", 40000,
         std::vector<CAction> {set(25, wave(5)), set(109, 0.8f), set(110, 1.0f), set(111, 0.6f), set(112, 0.9f),
                               set(113, 0.4f), set(114, 0.7f)} +
             chord(0, 20000, {40, 64})},
        {"shaper", 40000,
         std::vector<CAction> {set(25, wave(16)), set(97, choice(1, 25)), set(96, choice(4, 25)), set(98, 0.3f),
                               set(99, 0.2f), set(100, 0.9f), set(101, 0.7f), set(104, 0.8f)} +
             chord(0, 16000, {57}) + std::vector<CAction> {set(102, 1.0f, 18000), set(103, 1.0f, 18000)} +
             chord(20000, 16000, {62})},
        {"every-effect-type", 21 * 12000, everyEffectType()},
        {"both-effect-units", 60000,
         std::vector<CAction> {set(163, effectType(8)), set(172, effectType(3)), set(173, 0.3f), set(174, 0.5f),
                               set(180, 0.5f)} +
             chord(0, 20000, {60, 67})},
        {"modulation-sections", 60000,
         std::vector<CAction> {set(53, choice(16, 53)), set(56, 0.2f), set(60, choice(13, 53)), set(63, 0.05f),
                               set(115, choice(5, 53)), set(118, 0.1f), set(122, choice(1, 53)), set(125, 0.3f)} +
             chord(0, 40000, {55, 62}),
         modulatedProgram},
        {"high-quality", 40000,
         std::vector<CAction> {set(kQuality, 1.0f), set(25, wave(5)), set(105, filterType(2)), set(106, 1.0f),
                               set(108, 0.5f), set(109, 0.5f)} +
             chord(0, 20000, {60, 64, 67, 72})},
        {"mono-legato-portamento", 50000,
         std::vector<CAction> {set(182, 0.1f), set(183, choice(7, 13)), set(25, wave(5))} + chord(0, 20000, {48}, 1) +
             chord(10000, 20000, {55}, 1) + chord(25000, 15000, {60}, 1)},
        {"bend-and-controllers", 50000,
         chord(0, 40000, {60, 64}) +
             std::vector<CAction> {send(5000, {0xE0, 0, 100}), send(10000, {0xB0, 1, 90}), send(15000, {0xB0, 10, 20}),
                                   send(20000, {0xB0, 7, 60}), send(25000, {0xD0, 80}), send(30000, {0xE0, 0, 64})}},
        {"voice-stealing", 60000,
         std::vector<CAction> {set(185, choice(3, 17))} + chord(0, 30000, {48, 52, 55, 59, 62}) +
             chord(1500, 30000, {64, 67, 71}) + chord(3000, 500, {74, 76, 79, 83})},
        {"tuning-sysex", 40000,
         std::vector<CAction> {set(kTuningSource, 0.625f), send(0, quarterToneDump())} + chord(100, 20000, {60, 67})},
        {"tuning-base", 30000, std::vector<CAction> {set(kTuningBase, 0.8f)} + chord(0, 15000, {69})},
        {"pulse-symmetry-phase", 30000,
         std::vector<CAction> {set(27, 0.3f), set(28, 0.6f), set(29, 0.25f), set(33, wave(9)), set(36, 0.7f),
                               set(31, 0.75f)} +
             chord(0, 15000, {57})},
    };
}

uint64_t fnv1a(uint64_t hash, const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= p[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

struct CRender {
    std::string hash;
    float peak = 0.0f;
};

// Every scenario starts from the "Init" sound, whichever factory bank an instance starts with:
// "Clear" puts "Init" on the clipboard and "Paste" into timbre 1.
void startFromInit(qhost::CPluginInstance& p)
{
    p.setParameter(kClear, 0.0f);
    p.setParameter(kPaste, 0.0f);
}

CRender render(qhost::CPluginInstance& p, const CScenario& s)
{
    startFromInit(p);
    if (s.prepare)
        s.prepare(p);
    std::vector<float> left(kBlock), right(kBlock);
    float* outputs[2] = {left.data(), right.data()};
    uint64_t hash = 14695981039346656037ull;
    float peak = 0.0f;
    for (int start = 0; start < s.frames; start += kBlock) {
        std::vector<qhost::CMidiMessage> midi;
        for (const CAction& a : s.actions) {
            if (a.frame < start || a.frame >= start + kBlock)
                continue;
            if (a.bytes.empty())
                p.setParameter(a.index, a.value);
            else
                midi.push_back({a.frame - start, a.bytes});
        }
        if (!midi.empty())
            p.sendMidi(midi);
        p.processReplacing(outputs, kBlock);
        hash = fnv1a(hash, left.data(), left.size() * sizeof(float));
        hash = fnv1a(hash, right.data(), right.size() * sizeof(float));
        for (int i = 0; i < kBlock; ++i)
            peak = std::max({peak, std::fabs(left[static_cast<size_t>(i)]), std::fabs(right[static_cast<size_t>(i)])});
    }
    std::ostringstream text;
    text << std::hex << hash;
    return {text.str(), peak};
}

std::map<std::string, std::string> readGolden()
{
    std::map<std::string, std::string> hashes;
    std::ifstream in(kGoldenFile);
    for (std::string name, hash; in >> name >> hash;)
        hashes[name] = hash;
    return hashes;
}

TEST_F(PluginTest, GoldenRenders)
{
    const bool update = std::getenv("QUORVIX_UPDATE_GOLDEN") != nullptr;
    const std::map<std::string, std::string> golden = readGolden();
    std::ostringstream written;
    for (const CScenario& s : scenarios()) {
        closePlugin();
        const CRender r = render(plugin(), s);
        EXPECT_GT(r.peak, 0.005f) << s.name << " is audible";
        written << s.name << ' ' << r.hash << '\n';
        if (!update) {
            const auto it = golden.find(s.name);
            ASSERT_NE(it, golden.end()) << s.name << " has no stored hash";
            EXPECT_EQ(r.hash, it->second) << s.name;
        }
    }
    if (update)
        std::ofstream(kGoldenFile) << written.str();
}

} // namespace
} // namespace qtest
