// Brings a started plug-in instance into the state a command line asks for.
#pragma once

#include "host/plugin_host.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qhost {

struct CSetupOptions {
    std::optional<int32_t> bank;       // the plug-in's factory bank command
    std::string chunkFile;             // .fxb, .fxp or a bare chunk
    std::optional<int32_t> program;
    std::vector<std::pair<int32_t, float>> parameters; // normalized values
    std::string tuningFile;            // the plug-in's tuning-file command
    std::string mappingFile;           // with a Scala scale only
};

// Numbers outside the plug-in's ranges and commands it lacks are refused before anything changes.
// Then, in this order: factory bank, chunk, program, parameters, tuning. False with the reason.
bool applySetup(CPluginInstance& instance, const CSetupOptions& setup, std::string& error);

// Loads an .fxb/.fxp file or a bare chunk into the instance; false when the file belongs to
// another plug-in or the plug-in refuses the chunk.
bool loadChunkInto(CPluginInstance& instance, const std::string& path, intptr_t& answer, std::string& error);

// A Scala scale: the plug-in asks for a keyboard mapping after it.
bool isScalaScale(const std::string& path);

} // namespace qhost
