// One incoming MIDI event of a block, as the engine sees it. Views only: the data belongs
// to the caller and is valid during the processEvents call.
#pragma once

#include <cstdint>

namespace quorvix {

struct CMidiEvent {
    int32_t deltaFrames = 0;       // host samples from the start of the block
    int32_t noteOffset = 0;        // samples the note began before deltaFrames (0 if unknown)
    int8_t detune = 0;             // cents, -64..63
    uint8_t status = 0;            // 0 for a system-exclusive event
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    const uint8_t* sysex = nullptr; // the whole dump, F0 included, for system-exclusive events
    int32_t sysexSize = 0;

    bool isSysex() const { return sysex != nullptr; }
};

struct CMidiEventList {
    const CMidiEvent* events = nullptr;
    int count = 0;
};

} // namespace quorvix
