// The time-stamped command record of a voice's queue, and its types.
#pragma once

#include <cstdint>

namespace quorvix {

namespace command {
constexpr int32_t Neutral = 0;
constexpr int32_t NoteOn = 1;
constexpr int32_t LegatoNote = 2;
constexpr int32_t Held = 3; // a running note; only the renderer sets it
constexpr int32_t NoteOff = 4;
constexpr int32_t Stop = 5;
constexpr int32_t SoundOff = 6;
constexpr int32_t ProgramChange = 7;
constexpr int32_t Controller = 8;
constexpr int32_t SystemReset = 9;
constexpr int32_t ResetControllers = 10;
constexpr int32_t PitchBend = 11;
constexpr int32_t Pressure = 12;
constexpr int32_t FirstKey = 13;
constexpr int32_t Retune = 14;
constexpr int32_t End = 15;
} // namespace command

// The End mark sorts after everything: the most negative 32-bit time plus 10.
constexpr int32_t kEndTime = -2147483638;

struct CVoiceCommand {
    int32_t type = command::End;
    int32_t count = 0;      // NoteOn, LegatoNote: the note counter before this note
    int32_t key = -1;
    int32_t number = 0;     // ProgramChange: program; Controller: controller; SoundOff: 1
    float amount = 0.0f;    // Controller: value / 127; Pressure: pressure / 127
    float frequency = 0.0f; // NoteOn, LegatoNote, Retune: Hz; PitchBend: -1..1
    float velocityGain = 0.0f;
    float keyGain = 1.0f;
    // Queued: minus the offset into the block in voice samples. Running: the age in voice samples.
    int32_t time = 0;
    int32_t sequence = 0;
};
static_assert(sizeof(CVoiceCommand) == 40, "ten 32-bit fields");

} // namespace quorvix
