// Renders a MIDI song through a plug-in instance into a WAV file.
#pragma once

#include "host/midi_file.h"
#include "host/plugin_host.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qhost {

// Longer songs are refused: a file's timing can describe years of audio.
constexpr double kDefaultMaxSongSeconds = 3600.0;

struct CRenderOptions {
    double sampleRate = 44100.0;
    int32_t blockSize = 512;
    std::optional<double> tempo;       // reported tempo; else the song's tempo map
    std::optional<int32_t> program;
    std::string chunkFile;
    std::vector<std::pair<int32_t, float>> parameters;
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

// Output pairs are summed into one stereo file. False with the reason in error.
bool renderSong(const std::string& pluginPath, const CMidiSong& song, const std::string& wavPath,
                const CRenderOptions& options, CRenderResult& result, std::string& error);

// Loads an .fxb/.fxp file or a bare chunk into the instance; false also when the plug-in refuses it.
bool loadChunkInto(CPluginInstance& instance, const std::string& path, intptr_t& answer, std::string& error);

bool readFile(const std::string& path, std::vector<uint8_t>& data, std::string& error);
bool writeFile(const std::string& path, const std::vector<uint8_t>& data, std::string& error);

} // namespace qhost
