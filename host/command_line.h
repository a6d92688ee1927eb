// Reading quorvix-host's command line: numbers and the set-up options shared by commands.
#pragma once

#include "host/plugin_setup.h"

#include <string>
#include <vector>

namespace qhost {

// Finite numbers only, and the whole text.
bool parseNumber(const std::string& text, double& out);
bool parseInteger(const std::string& text, long& out);

// The value after the option at args[i] (i moves to it); false at the end of the command line or
// when another option follows, so that a missing file name never takes the next option's name.
bool optionValue(const std::vector<std::string>& args, size_t& i, std::string& value);

enum class EOptionResult { Taken, NotMine, Refused };

// Takes the set-up option at args[i] with its value (i moves past it); Refused with the reason.
EOptionResult parseSetupOption(const std::vector<std::string>& args, size_t& i, CSetupOptions& setup,
                               std::string& error);

// What can be checked before the plug-in is loaded.
bool checkSetupOptions(const CSetupOptions& setup, std::string& error);

} // namespace qhost
