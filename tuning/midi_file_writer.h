// A Standard MIDI File of format 1 written track by track, and the export of a tuning dump in one.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

namespace quorvix {

class CMidiFileWriter {
public:
    virtual ~CMidiFileWriter() = default;

    bool open(const std::string& path, uint16_t division);
    bool beginTrack();
    // delta 0 means four quarter notes.
    bool endTrack(uint32_t delta);
    bool metaEvent(uint32_t delta, uint8_t type, uint32_t length, const uint8_t* data);
    // status 0xF0 or 0xF7.
    bool sysexEvent(uint32_t delta, uint8_t status, uint32_t length, const uint8_t* data);
    bool close();

private:
    void put(const uint8_t* bytes, size_t size);
    void putByte(uint8_t b) { put(&b, 1); }
    void putBig(uint32_t value, int bytes);
    void putVariable(uint32_t value);
    void patchBig(std::streampos at, uint32_t value, int bytes);

    std::ofstream m_out;
    bool m_ok = false;
    bool m_trackOpen = false;
    uint16_t m_trackCount = 0;
    uint16_t m_division = 384;
    std::streampos m_trackCountPosition {};
    std::streampos m_trackLengthPosition {};
    uint32_t m_trackLength = 0;
};

// A file with a tempo track and a track holding the system-exclusive message (F0 .. F7).
bool writeTuningMidiFile(const std::string& path, const std::string& trackName, const std::string& instrument,
                         const uint8_t* message, int length);

} // namespace quorvix
