// What a timbre reads from its owner: host tempo, sample period and plug-in-wide settings.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace quorvix {

class CProgramSource;
class CTimbre;
class CVoice;

constexpr float kNoTempoBeatsPerSecond = 0.0001f;

struct CEngineContext {
    float hostBeatsPerSecond = kNoTempoBeatsPerSecond;
    float samplesPerBeat = 44100.0f / kNoTempoBeatsPerSecond;
    float beatsPerSample = kNoTempoBeatsPerSecond / 44100.0f;
    double samplePeriod = 1.0 / 44100.0;
    int oscOversampling = 1; // 0 off, 1 per program, 2 on wherever a program allows it
    float tuningBase = 0.0f;
    int tuningSource = 0;
    const CProgramSource* programs = nullptr; // what program changes load
    // Sets a parameter (resolved number, value 0..1) for one voice of a timbre: controllers 5 to 90.
    void (*voiceParameter)(CTimbre& timbre, CVoice& voice, int number, float value) = nullptr;
    // Hands a system-exclusive reply (a tuning dump) to the host.
    void (*sendSysex)(void* owner, const uint8_t* bytes, int size, int deltaFrames) = nullptr;
    void* sysexOwner = nullptr;
    // The thread that renders; delay storage never grows on it.
    std::atomic<std::thread::id> audioThread {};

    bool onAudioThread() const { return audioThread.load() == std::this_thread::get_id(); }
};

// The last note started anywhere in the process; the tuning pages and "#" in typed text read it.
void setLastNote(int key, double frequency);
int lastNoteKey();
double lastNoteFrequency();

// The last sample rate handed to any instance of the process.
double lastSampleRate();
void setLastSampleRate(double rate);

} // namespace quorvix
