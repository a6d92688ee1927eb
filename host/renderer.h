// Renders a MIDI song through a plug-in instance into a WAV file.
#pragma once

#include "host/midi_file.h"
#include "host/plugin_host.h"

#include <optional>
#include <string>
#include <vector>

namespace qhost {

// Longer songs are refused: a file's timing can describe years of audio.
constexpr double kDefaultMaxSongSeconds = 3600.0;

struct CRenderOptions {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    std::optional<double> tempo;       // reported tempo; else the song's tempo map
    double tailSeconds = 2.0;
    double maxSongSeconds = kDefaultMaxSongSeconds;
    bool pcm16 = false;
    bool progress = true;
};

struct CRenderResult {
    int64_t frames = 0;
    int channels = 2;
    double peak = 0.0;
    double rms = 0.0;
};

// False with the reason when the song lasts longer than the options allow.
bool songFits(const CMidiSong& song, const CRenderOptions& options, std::string& error);

// What the host tells the plug-in: rate, block size and the tempo at the start of the song.
CHostState renderHostState(const CMidiSong& song, const CRenderOptions& options);

// Plays the song through an instance created with renderHostState and started. Output pairs are
// summed into one stereo file. False with the reason in error.
bool renderSong(CPluginInstance& instance, const CMidiSong& song, const std::string& wavPath,
                const CRenderOptions& options, CRenderResult& result, std::string& error);

bool readFile(const std::string& path, std::vector<uint8_t>& data, std::string& error);
bool writeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error);

} // namespace qhost
