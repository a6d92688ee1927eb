// quorvix-host's Standard MIDI File reader: any bytes parse or fail with a reason; a parsed song
// has ordered, finite times and usable tempos.
#include "host/midi_file.h"
#include "tests/fuzz/fuzz_check.h"

#include <cmath>

using qfuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    qhost::CMidiSong song;
    std::string error;
    if (!qhost::parseMidiFile(bytes, song, error)) {
        check(!error.empty(), "a refused file has a reason");
        return 0;
    }
    double last = 0.0;
    for (const qhost::CTimedMidi& event : song.events) {
        check(std::isfinite(event.seconds) && event.seconds >= last, "event times are finite and ordered");
        check(!event.bytes.empty(), "an event has bytes");
        last = event.seconds;
    }
    check(!song.tempos.empty(), "a song has a tempo at 0");
    for (const qhost::CTempoChange& tempo : song.tempos)
        check(std::isfinite(tempo.bpm) && tempo.bpm > 0.0 && std::isfinite(song.tempoAt(tempo.seconds)),
              "tempos are usable");
    check(std::isfinite(song.lengthSeconds) && song.lengthSeconds >= last, "the length covers the events");
    return 0;
}
