// A minimal VST 2.x instrument for testing quorvix-host. Every output sample is the value of
// FAKE_INSTRUMENT_SAMPLE ("nan" and "inf" included; 0 when unset). Like some real plug-ins it
// answers 0 to every chunk; it keeps those that start with "FAKE" and ignores the rest. It names
// only its current program, "Fake 0" to "Fake 2", as amsynth does.
#include "plugin/vst2abi.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kOutputs = 2;
constexpr int32_t kPrograms = 3;
const char kChunkTag[] = "FAKE";
constexpr size_t kChunkTagSize = sizeof kChunkTag - 1;

struct CFakeInstrument {
    vst::AEffect effect {};
    std::vector<uint8_t> chunk = {'F', 'A', 'K', 'E', '0'};
    float sample = 0.0f;
    intptr_t program = 0;
};

CFakeInstrument& fakeOf(vst::AEffect* effect) { return *static_cast<CFakeInstrument*>(effect->object); }

intptr_t dispatcher(vst::AEffect* effect, int32_t opcode, int32_t, intptr_t value, void* ptr, float)
{
    CFakeInstrument& fake = fakeOf(effect);
    switch (opcode) {
    case vst::effClose:
        delete &fake;
        return 1;
    case vst::effSetProgram:
        if (value >= 0 && value < kPrograms)
            fake.program = value;
        return 0;
    case vst::effGetProgram:
        return fake.program;
    case vst::effGetProgramName:
        std::snprintf(static_cast<char*>(ptr), vst::kVstMaxProgNameLen, "Fake %d", static_cast<int>(fake.program));
        return 0;
    case vst::effGetChunk:
        *static_cast<void**>(ptr) = fake.chunk.data();
        return static_cast<intptr_t>(fake.chunk.size());
    case vst::effSetChunk: {
        const auto* bytes = static_cast<const uint8_t*>(ptr);
        if (bytes && value >= static_cast<intptr_t>(kChunkTagSize) && std::memcmp(bytes, kChunkTag, kChunkTagSize) == 0)
            fake.chunk.assign(bytes, bytes + value);
        return 0;
    }
    default:
        return 0;
    }
}

void processReplacing(vst::AEffect* effect, float**, float** outputs, int32_t frames)
{
    for (int32_t c = 0; c < kOutputs; ++c)
        for (int32_t i = 0; i < frames; ++i)
            outputs[c][i] = fakeOf(effect).sample;
}

void setParameter(vst::AEffect*, int32_t, float) {}
float getParameter(vst::AEffect*, int32_t) { return 0.0f; }

} // namespace

extern "C" __attribute__((visibility("default"))) vst::AEffect* VSTPluginMain(vst::HostCallback)
{
    auto* fake = new CFakeInstrument;
    const char* sample = std::getenv("FAKE_INSTRUMENT_SAMPLE");
    fake->sample = sample ? std::strtof(sample, nullptr) : 0.0f;
    vst::AEffect& e = fake->effect;
    e.magic = vst::kEffectMagic;
    e.dispatcher = dispatcher;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.processReplacing = processReplacing;
    e.numOutputs = kOutputs;
    e.numPrograms = kPrograms;
    e.flags = vst::effFlagsCanReplacing | vst::effFlagsProgramChunks | vst::effFlagsIsSynth;
    e.uniqueID = vst::fourCC('F', 'a', 'k', 'e');
    e.object = fake;
    return &e;
}
