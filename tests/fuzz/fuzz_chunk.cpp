// The plug-in's chunk as a host hands it over: the first byte chooses a program (odd) or a bank
// chunk, the rest is the chunk. What was read must play, and what the plug-in then writes it must
// read back to the same bytes.
#include "tests/fuzz/fuzz_support.h"

#include <cstring>

using namespace qfuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool isPreset = data[0] & 1;
    const auto chunkSize = static_cast<intptr_t>(size - 1);
    std::vector<uint8_t> chunk(data + 1, data + size); // owned, so that reads past it are caught
    CFuzzPlugin& host = CFuzzPlugin::fresh();
    const intptr_t taken = host.dispatch(vst::effSetChunk, isPreset, chunkSize, chunk.data());
    check(taken == 0 || taken == chunkSize, "effSetChunk takes all or nothing");
    host.checkParameters();
    host.playChord();
    host.render(2048);

    void* written = nullptr;
    const intptr_t writtenSize = host.dispatch(vst::effGetChunk, isPreset, 0, &written);
    check(writtenSize > 0 && written != nullptr, "effGetChunk after effSetChunk");
    const std::vector<uint8_t> first(static_cast<uint8_t*>(written), static_cast<uint8_t*>(written) + writtenSize);
    check(host.dispatch(vst::effSetChunk, isPreset, writtenSize, const_cast<uint8_t*>(first.data())) == writtenSize,
          "the plug-in reads what it wrote");
    const intptr_t againSize = host.dispatch(vst::effGetChunk, isPreset, 0, &written);
    check(againSize == writtenSize && std::memcmp(written, first.data(), first.size()) == 0,
          "a chunk read and written again is the same");
    host.render(512);
    return 0;
}
