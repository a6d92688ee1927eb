// The VST bank (.fxb) and program (.fxp) files that carry a plug-in's opaque chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qhost {

struct CChunkFile {
    bool inContainer = false;    // false for a bare chunk, which names no plug-in
    bool isProgram = false;      // FPCh, else FBCh
    int32_t pluginId = 0;
    int32_t pluginVersion = 0;
    int32_t programCount = 0;
    std::string programName;     // programs only
    std::vector<uint8_t> chunk;
};

std::vector<uint8_t> writeChunkFile(const CChunkFile& file);

// Reads an FBCh or FPCh container; a file without the container is taken as a bare chunk.
bool readChunkFile(const std::vector<uint8_t>& data, CChunkFile& file, std::string& error);

} // namespace qhost
