// MIDI Tuning Standard messages through effProcessEvents with the tuning source "MIDI System
// exclusive": the input is cut into system-exclusive events after each F7; they arrive while a
// chord sounds, dump requests are answered to the host, and the output stays finite.
#include "tests/fuzz/fuzz_support.h"

#include "presets/parameter_table.h"

#include <algorithm>

using namespace qfuzz;
using namespace quorvix;

namespace {

constexpr uint8_t kEndOfExclusive = 0xF7;
constexpr size_t kMessagesPerBlock = 16;
constexpr int kBlockFrames = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzPlugin& host = CFuzzPlugin::fresh();
    host.setParameter(cmd::TuningSource, kSysexTuningSource);
    host.playChord();
    host.render(kBlockFrames);

    std::vector<std::vector<uint8_t>> messages;
    for (size_t start = 0; start < size;) {
        const uint8_t* end = std::find(data + start, data + size, kEndOfExclusive);
        const size_t stop = std::min<size_t>(static_cast<size_t>(end - data) + 1, size);
        messages.emplace_back(data + start, data + stop);
        start = stop;
    }
    for (size_t first = 0; first < messages.size(); first += kMessagesPerBlock) {
        // Copies that die with the call: the plug-in must not keep pointers into them.
        const size_t last = std::min(first + kMessagesPerBlock, messages.size());
        std::vector<std::vector<uint8_t>> owned(messages.begin() + static_cast<long>(first),
                                                messages.begin() + static_cast<long>(last));
        CEventList list;
        for (size_t i = 0; i < owned.size(); ++i)
            list.addSysex(static_cast<int32_t>(i * 7 % kBlockFrames), owned[i].data(),
                          static_cast<int32_t>(owned[i].size()));
        host.processEvents(list);
        owned.clear();
        host.render(kBlockFrames);
    }
    host.playChord();
    host.render(1024);
    return 0;
}
