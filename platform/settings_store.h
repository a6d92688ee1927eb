// Where the settings record lives on Linux: $XDG_CONFIG_HOME/Brenwick/Quorvix/ini.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvix::platform {

enum class EReadResult { Missing, Failed, Read };

std::string settingsFilePath();

EReadResult readSettingsFile(std::vector<uint8_t>& bytes);

// Writes a temporary file beside the record and renames it over, so a crash never leaves half a record.
bool writeSettingsFile(const std::vector<uint8_t>& bytes);

} // namespace quorvix::platform
