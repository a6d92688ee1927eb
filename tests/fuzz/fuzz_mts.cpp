// MIDI Tuning Standard messages through effProcessEvents with the tuning source "MIDI System
// exclusive": the input is cut into system-exclusive events after each F7; they arrive while a
// chord sounds, dump requests are answered to the host, and the output stays finite.
#include "tests/fuzz/fuzz_support.h"

#include "presets/parameter_table.h"

#include <algorithm>

using namespace qfuzz;
using namespace quorvix;

namespace {

constexpr float kSysexSource = 0.625f; // choice 2 of 4
constexpr uint8_t kEndOfExclusive = 0xF7;
// processEvents reads the host's VstEvents past its declared two entries until its fix is merged.
constexpr size_t kEventsPerCall = kAvoidKnownFaults ? 2 : 16;
constexpr int kFramesPerCall = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzPlugin& host = CFuzzPlugin::fresh();
    host.setParameter(cmd::TuningSource, kSysexSource);
    host.playChord();
    host.render(kFramesPerCall);

    std::vector<std::vector<uint8_t>> messages;
    for (size_t start = 0; start < size;) {
        const uint8_t* end = std::find(data + start, data + size, kEndOfExclusive);
        const size_t stop = std::min<size_t>(static_cast<size_t>(end - data) + 1, size);
        messages.emplace_back(data + start, data + stop);
        start = stop;
    }
    for (size_t first = 0; first < messages.size(); first += kEventsPerCall) {
        // Copies that die with the call: the plug-in must not keep pointers into them.
        std::vector<std::vector<uint8_t>> owned(messages.begin() + static_cast<long>(first),
                                                messages.begin() + static_cast<long>(std::min(first + kEventsPerCall, messages.size())));
        CEventList list;
        for (size_t i = 0; i < owned.size(); ++i)
            list.addSysex(static_cast<int32_t>(i * 7 % kFramesPerCall), owned[i].data(),
                          static_cast<int32_t>(owned[i].size()));
        host.processEvents(list);
        owned.clear();
        host.render(kFramesPerCall);
    }
    host.playChord();
    host.render(1024);
    return 0;
}
