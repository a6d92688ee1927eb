// Standard MIDI Files, formats 0 and 1, read into one time-ordered list of events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qhost {

struct CTimedMidi {
    double seconds = 0.0;
    std::vector<uint8_t> bytes; // a channel message, or a system-exclusive dump starting with F0
};

struct CTempoChange {
    double seconds = 0.0;
    double bpm = 120.0;
};

struct CMidiSong {
    int format = 0;
    std::vector<CTimedMidi> events;    // sorted by time, file order kept within a time
    std::vector<CTempoChange> tempos;  // starts with the tempo in force at 0
    double lengthSeconds = 0.0;        // time of the last event, end-of-track marks included

    double tempoAt(double seconds) const;
};

// Parses the bytes; false with a readable reason when they are not a usable MIDI file.
bool parseMidiFile(const std::vector<uint8_t>& data, CMidiSong& song, std::string& error);
bool readMidiFile(const std::string& path, CMidiSong& song, std::string& error);

} // namespace qhost
