// Arbitrary host behaviour as a stream of operations: MIDI and system-exclusive events,
// parameter values of any bit pattern on any index, editor commands that need no dialog,
// program changes, chunk round trips, rate and block-size changes, suspend and resume, and
// rendering. Every sample stays finite and every parameter reads within 0..1.
#include "tests/fuzz/fuzz_support.h"

#include "presets/parameter_table.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

using namespace qfuzz;
using namespace quorvix;

namespace {

constexpr int kMaxEventsPerBlock = 64;
constexpr int kMaxFrames = 2048;
constexpr int kIndexRange = kHostParameterCount + 40; // the commands follow the parameters
constexpr size_t kMaxSysex = 64;
constexpr size_t kMaxName = 40;

const std::array<int32_t, 13> kCommands = {cmd::Channel,      cmd::Program,    cmd::ProgramMinus, cmd::ProgramPlus,
                                           cmd::CopyPreset,   cmd::PastePreset, cmd::SwapPreset, cmd::InitPreset,
                                           cmd::KnobMode,     cmd::TuningBase, cmd::OscOversampling,
                                           cmd::AutoStorePresetChanges, cmd::TuningSource};

const std::array<float, 7> kRates = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f};

class CSession {
public:
    void run(CInput& in);

private:
    void flushEvents();
    void setParameter(int32_t index, float value);
    void render(int frames);
    void chunkRoundTrip(bool preset);
    void readTexts(int32_t index);

    CFuzzPlugin& m_host = CFuzzPlugin::fresh();
    CEventList m_events;
    std::vector<std::vector<uint8_t>> m_sysex;
};

void CSession::flushEvents()
{
    if (m_events.count() == 0)
        return;
    m_host.processEvents(m_events);
    m_events.clear();
    m_sysex.clear();
}

void CSession::setParameter(int32_t index, float value)
{
    m_host.setParameter(index, value);
    const float read = m_host.plugin().getParameter(index);
    if (index < kHostParameterCount && !(read >= 0.0f && read <= 1.0f))
        fail("parameter " + std::to_string(index) + " reads " + std::to_string(read) + " after " +
             std::to_string(value));
}

void CSession::render(int frames)
{
    flushEvents();
    m_host.render(frames);
}

void CSession::chunkRoundTrip(bool preset)
{
    void* data = nullptr;
    const intptr_t size = m_host.dispatch(vst::effGetChunk, preset, 0, &data);
    check(size > 0 && data != nullptr, "effGetChunk");
    std::vector<uint8_t> copy(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    check(m_host.dispatch(vst::effSetChunk, preset, size, copy.data()) == size, "the plug-in reads its own chunk");
}

void CSession::readTexts(int32_t index)
{
    char text[256];
    for (int32_t opcode : {vst::effGetParamName, vst::effGetParamLabel, vst::effGetParamDisplay}) {
        text[0] = 0;
        m_host.dispatch(opcode, index, 0, text);
        check(std::memchr(text, 0, sizeof text) != nullptr, "a parameter text ends within its buffer");
    }
}

void CSession::run(CInput& in)
{
    while (!in.empty()) {
        switch (in.u8() % 11) {
        case 0: {
            const uint8_t status = in.u8(), data1 = in.u8(), data2 = in.u8();
            m_events.addMidi(in.u16() % kMaxFrames, status, data1, data2, static_cast<int8_t>(in.u8()));
            break;
        }
        case 1: {
            size_t count = in.u8() % kMaxSysex;
            const uint8_t* bytes = in.take(count);
            m_sysex.emplace_back(bytes, bytes + count);
            m_events.addSysex(in.u16() % kMaxFrames, m_sysex.back().data(), static_cast<int32_t>(count));
            break;
        }
        case 2: {
            const int32_t index = static_cast<int32_t>(in.u16() % kIndexRange);
            setParameter(index, in.f32());
            break;
        }
        case 3:
            render(in.u16() % kMaxFrames + 1);
            break;
        case 4:
            m_host.dispatch(vst::effSetProgram, 0, static_cast<int8_t>(in.u8()));
            break;
        case 5:
            chunkRoundTrip(in.u8() & 1);
            break;
        case 6: {
            const int32_t command = kCommands[in.u8() % kCommands.size()];
            const float value = in.f32();
            if (command == cmd::TuningSource)
                setParameter(command, std::signbit(value) ? kSysexTuningSource : kHostTuningSource);
            else
                setParameter(command, value);
            break;
        }
        case 7:
            m_host.dispatch(vst::effSetSampleRate, 0, 0, nullptr, kRates[in.u8() % kRates.size()]);
            m_host.dispatch(vst::effSetBlockSize, 0, in.u16() % kMaxFrames + 1);
            break;
        case 8:
            m_host.dispatch(vst::effMainsChanged, 0, 0);
            m_host.dispatch(vst::effMainsChanged, 0, 1);
            break;
        case 9: {
            size_t count = in.u8() % kMaxName;
            const uint8_t* bytes = in.take(count);
            const std::string name(reinterpret_cast<const char*>(bytes), count);
            m_host.dispatch(vst::effSetProgramName, 0, 0, const_cast<char*>(name.c_str()));
            break;
        }
        default:
            readTexts(static_cast<int32_t>(in.u16() % kIndexRange));
            break;
        }
        if (m_events.count() >= kMaxEventsPerBlock)
            flushEvents();
    }
    render(1024);
    m_host.checkParameters();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CInput in(data, size);
    CSession session;
    session.run(in);
    return 0;
}
